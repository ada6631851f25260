#include "core/templatefile.h"
#include "core/units.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>
#include <cmath>

namespace templatefile {

namespace {

const QString FormatName = QStringLiteral("billprint-template");
constexpr int Base64LineLength = 76;
constexpr int MaxOffset = 1000000; // twips, some 17 metres

// ---- writing -------------------------------------------------------------------

QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray number(double v)
{
    if (!std::isfinite(v))
        return "0";
    QByteArray text = QByteArray::number(v, 'f', 4);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? "0" : text;
}

std::optional<double> numberIn(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// Millimetres to two places, as the file shows them.
double millimetres(double twips) { return std::round(units::twipsToMm(qint64(std::llround(twips))) * 100.0) / 100.0; }

QByteArray propertyLine(int kind, const PropertyEntry &e)
{
    QByteArray line = "{\"key\": " + QByteArray::number(e.key) + ", \"name\": " + jsonString(e.name)
                      + ", \"value\": " + jsonString(e.value);
    if (isTwipsProperty(kind, e.key))
        if (const std::optional<double> v = numberIn(e.value))
            line += ", \"mm\": " + number(millimetres(*v));
    return line + '}';
}

QByteArray recordText(const TemplateRecord &r, const QByteArray &indent)
{
    const QByteArray in = indent + "  ";
    QByteArray text = "{\n" + in + "\"key\": " + jsonString(r.key) + ",\n" + in + "\"kind\": "
                      + QByteArray::number(r.kind()) + ",\n" + in + "\"name\": " + jsonString(r.name()) + ",\n" + in
                      + "\"properties\": [\n";
    for (qsizetype i = 0; i < r.props.size(); ++i)
        text += in + "  " + propertyLine(r.kind(), r.props.at(i)) + (i + 1 < r.props.size() ? ",\n" : "\n");
    return text + in + "]\n" + indent + "}";
}

QByteArray backgroundText(const FormBackground &bg)
{
    QByteArray text = "{\n";
    text += "    \"dpi\": " + number(bg.dpi) + ",\n";
    text += "    \"offsetX\": " + QByteArray::number(bg.offsetX) + ", \"offsetXmm\": " + number(millimetres(bg.offsetX)) + ",\n";
    text += "    \"offsetY\": " + QByteArray::number(bg.offsetY) + ", \"offsetYmm\": " + number(millimetres(bg.offsetY)) + ",\n";
    text += "    \"opacity\": " + number(bg.opacity) + ",\n";
    text += "    \"image\": [\n";
    const QByteArray data = bg.image.toBase64();
    for (qsizetype at = 0; at < data.size(); at += Base64LineLength)
        text += "      \"" + data.mid(at, Base64LineLength) + (at + Base64LineLength < data.size() ? "\",\n" : "\"\n");
    return text + "    ]\n  }";
}

// ---- reading -------------------------------------------------------------------

// A refusal that names where in the file it applies.
struct Problem {
    QString text;
};

[[noreturn]] void fail(const QString &text) { throw Problem{text}; }

QString stringAt(const QJsonObject &o, const QString &key, const QString &where, int maxLength)
{
    const QJsonValue v = o.value(key);
    if (!v.isString())
        fail(QStringLiteral("%1缺少文本项“%2”").arg(where, key));
    const QString s = v.toString();
    if (s.size() > maxLength)
        fail(QStringLiteral("%1的“%2”太长（%3 个字符，最多 %4 个）").arg(where, key).arg(s.size()).arg(maxLength));
    return s;
}

double numberAt(const QJsonObject &o, const QString &key, const QString &where)
{
    const QJsonValue v = o.value(key);
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        fail(QStringLiteral("%1缺少数值项“%2”").arg(where, key));
    return v.toDouble();
}

qint64 wholeAt(const QJsonObject &o, const QString &key, const QString &where, qint64 min, qint64 max)
{
    const double v = numberAt(o, key, where);
    if (v != std::floor(v) || v < double(min) || v > double(max))
        fail(QStringLiteral("%1的“%2”应为 %3 到 %4 之间的整数").arg(where, key).arg(min).arg(max));
    return qint64(v);
}

QJsonArray arrayAt(const QJsonObject &o, const QString &key, const QString &where, int maxSize)
{
    const QJsonValue v = o.value(key);
    if (!v.isArray())
        fail(QStringLiteral("%1缺少列表项“%2”").arg(where, key));
    const QJsonArray a = v.toArray();
    if (a.size() > maxSize)
        fail(QStringLiteral("%1的“%2”有 %3 项，最多 %4 项").arg(where, key).arg(a.size()).arg(maxSize));
    return a;
}

QJsonObject objectIn(const QJsonValue &v, const QString &where)
{
    if (!v.isObject())
        fail(QStringLiteral("%1应为一个对象（{…}）").arg(where));
    return v.toObject();
}

PropertyEntry readProperty(const QJsonValue &value, int kind, const QString &where)
{
    const QJsonObject o = objectIn(value, where);
    PropertyEntry e;
    e.key = qint16(wholeAt(o, QStringLiteral("key"), where, 0, 32767));
    const QString at = QStringLiteral("%1（属性 %2）").arg(where).arg(e.key);
    e.name = stringAt(o, QStringLiteral("name"), at, MaxPropertyNameLength);
    e.value = stringAt(o, QStringLiteral("value"), at, MaxValueLength);
    if (o.contains(QStringLiteral("mm"))) {
        const double mm = numberAt(o, QStringLiteral("mm"), at);
        const std::optional<double> twips = numberIn(e.value);
        if (!isTwipsProperty(kind, e.key) || !twips)
            fail(QStringLiteral("%1有毫米值，但它的值“%2”不是以缇计的长度").arg(at, e.value));
        if (std::abs(mm - millimetres(*twips)) > 0.0051)
            fail(QStringLiteral("%1的毫米值 %2 与缇值 %3（%4 毫米）不一致；位置以缇值为准，请同时修改两者")
                     .arg(at, QString::number(mm), e.value, QString::number(millimetres(*twips))));
    }
    if (kind >= 0 && ((kind == KindBill && (e.key == 3 || e.key == 4)) || (kind != KindBill && e.key >= 1 && e.key <= 4))) {
        const std::optional<double> v = numberIn(e.value);
        if (!v || std::abs(*v) > 2147483647.0)
            fail(QStringLiteral("%1的值“%2”不是以缇计的数").arg(at, e.value.left(40)));
    }
    return e;
}

TemplateRecord readRecord(const QJsonValue &value, const QString &where)
{
    const QJsonObject o = objectIn(value, where);
    TemplateRecord r;
    r.key = stringAt(o, QStringLiteral("key"), where, 8);
    const int kind = r.kind();
    if (kind < 0)
        fail(QStringLiteral("%1的编号“%2”应为八位数字").arg(where, r.key));
    const QString at = QStringLiteral("%1（%2）").arg(where, r.key);
    if (wholeAt(o, QStringLiteral("kind"), at, 0, 99) != kind)
        fail(QStringLiteral("%1的类型与编号中的类型 %2 不符").arg(at).arg(kind));
    const QJsonArray props = arrayAt(o, QStringLiteral("properties"), at, MaxProperties);
    for (qsizetype i = 0; i < props.size(); ++i)
        r.props.append(readProperty(props.at(i), kind, QStringLiteral("%1的第 %2 个属性").arg(at).arg(i + 1)));
    if (!findEntry(r.props, 0))
        fail(QStringLiteral("%1没有属性 0（名称），程序不会读它").arg(at));
    if (o.contains(QStringLiteral("name")) && o.value(QStringLiteral("name")).toString() != r.name())
        fail(QStringLiteral("%1的“name”与属性 0 的值不一致").arg(at));
    return r;
}

std::optional<FormBackground> readBackground(const QJsonValue &value)
{
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    const QString where = QStringLiteral("纸样背景");
    const QJsonObject o = objectIn(value, where);
    FormBackground bg;
    bg.dpi = numberAt(o, QStringLiteral("dpi"), where);
    if (bg.dpi < formbackground::MinDpi || bg.dpi > formbackground::MaxDpi)
        fail(QStringLiteral("纸样背景的分辨率 %1 dpi 不在 %2 到 %3 之间")
                 .arg(bg.dpi).arg(formbackground::MinDpi).arg(formbackground::MaxDpi));
    bg.offsetX = int(wholeAt(o, QStringLiteral("offsetX"), where, -MaxOffset, MaxOffset));
    bg.offsetY = int(wholeAt(o, QStringLiteral("offsetY"), where, -MaxOffset, MaxOffset));
    bg.opacity = numberAt(o, QStringLiteral("opacity"), where);
    if (bg.opacity < formbackground::MinOpacity || bg.opacity > 1.0)
        fail(QStringLiteral("纸样背景的不透明度 %1 不在 %2 到 1 之间").arg(bg.opacity).arg(formbackground::MinOpacity));
    const QJsonArray lines = arrayAt(o, QStringLiteral("image"), where, int(MaxImageBytes / Base64LineLength * 2));
    QByteArray base64;
    for (const QJsonValue &line : lines) {
        if (!line.isString())
            fail(QStringLiteral("纸样背景的“image”应为一行行 base64 文本"));
        base64 += line.toString().toLatin1();
        if (base64.size() > MaxImageBytes / 3 * 4 + 4)
            fail(QStringLiteral("纸样背景的图像太大（最多 %1 MB）").arg(MaxImageBytes / (1024 * 1024)));
    }
    const auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        fail(QStringLiteral("纸样背景的“image”不是有效的 base64 文本"));
    QBuffer buffer;
    buffer.setData(*decoded);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = QImageReader(&buffer).size();
    if (size.width() > MaxImageSide || size.height() > MaxImageSide)
        fail(QStringLiteral("纸样背景的图像太大（%1 × %2 像素）").arg(size.width()).arg(size.height()));
    QImage image;
    QString why;
    if (!formbackground::decode(*decoded, image, &why))
        fail(QStringLiteral("纸样背景不是可用的图像：%1").arg(why));
    bg.image = *decoded;
    return bg;
}

QString parseProblem(const QByteArray &bytes, const QJsonParseError &e)
{
    const QByteArray before = bytes.left(e.offset);
    const qsizetype line = before.count('\n') + 1;
    const qsizetype column = QString::fromUtf8(before.mid(before.lastIndexOf('\n') + 1)).size() + 1;
    if (e.offset >= bytes.trimmed().size() - 1 || e.error == QJsonParseError::UnterminatedObject
        || e.error == QJsonParseError::UnterminatedArray || e.error == QJsonParseError::UnterminatedString)
        return QStringLiteral("文件不完整（在第 %1 行第 %2 列中断，可能只复制了一部分）").arg(line).arg(column);
    return QStringLiteral("文件不是有效的 JSON：第 %1 行第 %2 列有误（%3）").arg(line).arg(column).arg(e.errorString());
}

void readContent(const QByteArray &bytes, TemplateContent &out)
{
    if (bytes.size() > MaxFileBytes)
        fail(QStringLiteral("文件太大（%1 MB，最多 %2 MB）").arg(bytes.size() / (1024 * 1024)).arg(MaxFileBytes / (1024 * 1024)));
    if (bytes.trimmed().isEmpty())
        fail(QStringLiteral("文件是空的"));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        fail(parseProblem(bytes, error));
    if (!doc.isObject())
        fail(QStringLiteral("文件不是票据模板文件（内容不是一个 JSON 对象）"));
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != FormatName)
        fail(QStringLiteral("文件不是票据模板文件（缺少 \"format\": \"%1\"）").arg(FormatName));
    const QJsonValue version = root.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() != std::floor(version.toDouble()) || version.toDouble() < 1)
        fail(QStringLiteral("文件的格式版本号缺失或无效"));
    if (version.toDouble() > FormatVersion)
        fail(QStringLiteral("文件的格式版本是 %1，本程序只能读取版本 %2 及以前的文件，请升级本程序")
                 .arg(number(version.toDouble())).arg(FormatVersion));
    const QString where = QStringLiteral("文件");
    out.name.className = stringAt(root, QStringLiteral("class"), where, 1000);
    out.name.templateName = stringAt(root, QStringLiteral("template"), where, 1000);
    if (const QString why = TemplateManager::nameProblem(out.name.className); !why.isEmpty())
        fail(QStringLiteral("文件中的类别名不可用：%1").arg(why));
    if (const QString why = TemplateManager::nameProblem(out.name.templateName); !why.isEmpty())
        fail(QStringLiteral("文件中的模板名不可用：%1").arg(why));
    out.bill = readRecord(root.value(QStringLiteral("bill")), QStringLiteral("票据记录"));
    if (out.bill.kind() != KindBill)
        fail(QStringLiteral("票据记录的编号“%1”不是票据（类型 0）").arg(out.bill.key));
    QSet<int> usedSlots{FieldKey::parse(out.bill.key)->slot};
    const QJsonArray fields = arrayAt(root, QStringLiteral("fields"), where, MaxFields);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString at = QStringLiteral("第 %1 个字段").arg(i + 1);
        TemplateRecord r = readRecord(fields.at(i), at);
        if (r.kind() < KindLabel || r.kind() > KindMoney)
            fail(QStringLiteral("%1（%2）的类型 %3 不是标签、选项、日期、文本或金额").arg(at, r.key).arg(r.kind()));
        const int slot = FieldKey::parse(r.key)->slot;
        if (usedSlots.contains(slot))
            fail(QStringLiteral("%1（%2）的位置号 %3 已被另一个字段使用").arg(at, r.key, r.key.left(3)));
        usedSlots.insert(slot);
        out.fields.append(r);
    }
    out.background = readBackground(root.value(QStringLiteral("background")));
}

} // namespace

bool isTwipsProperty(int kind, int key)
{
    if (kind == KindBill)
        return key == 3 || key == 4;
    if (key >= 1 && key <= 4)
        return true;
    return kind == KindMoney && (key == 23 || key >= 100);
}

QByteArray toJson(const TemplateContent &content)
{
    QByteArray text = "{\n";
    text += "  \"format\": " + jsonString(FormatName) + ",\n";
    text += "  \"version\": " + QByteArray::number(FormatVersion) + ",\n";
    text += "  \"class\": " + jsonString(content.name.className) + ",\n";
    text += "  \"template\": " + jsonString(content.name.templateName) + ",\n";
    text += "  \"bill\": " + recordText(content.bill, "  ") + ",\n";
    text += "  \"fields\": [";
    for (qsizetype i = 0; i < content.fields.size(); ++i)
        text += (i ? ", " : "") + recordText(content.fields.at(i), "  ");
    text += "]";
    if (content.background)
        text += ",\n  \"background\": " + backgroundText(*content.background);
    return text + "\n}\n";
}

StoreStatus fromJson(const QByteArray &bytes, TemplateContent &out)
{
    out = TemplateContent{};
    TemplateContent read;
    try {
        readContent(bytes, read);
    } catch (const Problem &p) {
        return StoreStatus::failure(p.text);
    }
    out = read;
    return {};
}

StoreStatus readFile(const QString &path, TemplateContent &out)
{
    out = TemplateContent{};
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return StoreStatus::failure(QStringLiteral("无法打开模板文件“%1”：%2").arg(name, file.errorString()));
    if (file.size() > MaxFileBytes)
        return StoreStatus::failure(QStringLiteral("模板文件“%1”有误：文件太大（%2 MB，最多 %3 MB）")
                                        .arg(name)
                                        .arg(file.size() / (1024 * 1024))
                                        .arg(MaxFileBytes / (1024 * 1024)));
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return StoreStatus::failure(QStringLiteral("无法读取模板文件“%1”：%2").arg(name, file.errorString()));
    const StoreStatus s = fromJson(bytes, out);
    if (!s)
        return StoreStatus::failure(QStringLiteral("模板文件“%1”有误：%2").arg(name, s.message));
    return {};
}

StoreStatus writeFile(const QString &path, const TemplateContent &content)
{
    QSaveFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::WriteOnly))
        return StoreStatus::failure(QStringLiteral("无法写入模板文件“%1”：%2").arg(name, file.errorString()));
    const QByteArray text = toJson(content);
    if (file.write(text) != text.size() || !file.commit())
        return StoreStatus::failure(QStringLiteral("无法写入模板文件“%1”：%2").arg(name, file.errorString()));
    return {};
}

} // namespace templatefile

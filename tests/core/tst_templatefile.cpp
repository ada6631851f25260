// Template files: what they look like, that every shipped template reads
// back as written, and that broken, newer or hostile files are refused with
// a message that says what is wrong.
#include "core/database.h"
#include "core/templatefile.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray pngBytes(int w = 60, int h = 30)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A small valid file's JSON, to be spoiled by the cases.
QJsonObject validFile()
{
    auto prop = [](int key, const QString &name, const QString &value) {
        return QJsonObject{{"key", key}, {"name", name}, {"value", value}};
    };
    QJsonObject left = prop(1, "左", "567");
    left["mm"] = 10;
    return QJsonObject{
        {"format", "billprint-template"},
        {"version", 1},
        {"class", "农业银行"},
        {"template", "转账支票"},
        {"bill", QJsonObject{{"key", "00000000"}, {"kind", 0}, {"name", "转账支票"},
                             {"properties", QJsonArray{prop(0, "票据名称", "转账支票"), prop(3, "宽度", "12758"),
                                                       prop(4, "高度", "4536")}}}},
        {"fields", QJsonArray{QJsonObject{{"key", "00107000"}, {"kind", 7}, {"name", "收款人"},
                                          {"properties", QJsonArray{prop(0, "名称", "收款人"), left}}}}},
    };
}

} // namespace

class TestTemplateFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppState m_state;

private slots:
    void initTestCase()
    {
        const QString path = m_dir.filePath(QStringLiteral("DB/BillDB.db"));
        QVERIFY(database::ensureExists(path).ok());
        QCOMPARE(OpenDatabase(m_state, path), 0);
    }
    void cleanupTestCase() { CloseDatabase(m_state); }

    void fileIsReadableJson()
    {
        TemplateContent c;
        QVERIFY(TemplateManager(m_state.DbConnection).readContent({"支票", "转账支票"}, c).ok());
        c.background = FormBackground{pngBytes(), 200, 57, -30, 0.4};
        const QByteArray text = templatefile::toJson(c);
        const QJsonDocument doc = QJsonDocument::fromJson(text);
        QVERIFY(doc.isObject());
        QCOMPARE(doc["format"].toString(), QStringLiteral("billprint-template"));
        QCOMPARE(doc["version"].toInt(), templatefile::FormatVersion);
        QCOMPARE(doc["class"].toString(), QStringLiteral("支票"));
        // One property a line, positions with millimetres beside the twips.
        QVERIFY(text.contains(QStringLiteral("{\"key\": 3, \"name\": \"宽度\", \"value\": \"12758\", \"mm\": 225.01}").toUtf8()));
        QVERIFY(text.contains(QStringLiteral("\"value\": \"转账支票\"}").toUtf8()));
        QVERIFY(!text.contains("\\u")); // Chinese as UTF-8, not escapes
        QCOMPARE(doc["fields"].toArray().size(), c.fields.size());
        const QJsonObject bg = doc["background"].toObject();
        QCOMPARE(bg["offsetXmm"].toDouble(), 1.01);
        QCOMPARE(bg["offsetY"].toInt(), -30);
        for (const QJsonValue &line : bg["image"].toArray())
            QVERIFY(line.toString().size() <= 76);
        // Written twice, the same bytes: files can be compared with diff.
        QCOMPARE(templatefile::toJson(c), text);
    }

    void shippedTemplatesReadBackAsWritten_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("name");
        QTest::newRow("sample") << "通用票据" << "通用凭证";
        QTest::newRow("transfer cheque") << "支票" << "转账支票";
        QTest::newRow("cash cheque") << "支票" << "现金支票";
        QTest::newRow("deposit slip") << "结算凭证" << "进账单";
        QTest::newRow("remittance") << "结算凭证" << "电汇凭证";
    }
    void shippedTemplatesReadBackAsWritten()
    {
        QFETCH(QString, className);
        QFETCH(QString, name);
        TemplateContent c;
        QVERIFY(TemplateManager(m_state.DbConnection).readContent({className, name}, c).ok());
        c.background = FormBackground{pngBytes(), 150, 0, 0, 0.5};
        const QString path = m_dir.filePath(name + ".json");
        QVERIFY(templatefile::writeFile(path, c).ok());
        TemplateContent back;
        const StoreStatus s = templatefile::readFile(path, back);
        QVERIFY2(s.ok(), qPrintable(s.message));
        QCOMPARE(back.name, c.name);
        QCOMPARE(templatefile::toJson(back), templatefile::toJson(c));
        QCOMPARE(back.background->image, c.background->image);
    }

    void brokenFilesRefused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("why");
        const QJsonObject valid = validFile();
        const QByteArray good = QJsonDocument(valid).toJson();
        auto spoil = [&valid](const std::function<void(QJsonObject &)> &f) {
            QJsonObject o = valid;
            f(o);
            return QJsonDocument(o).toJson();
        };
        auto spoilField = [&spoil](const std::function<void(QJsonObject &)> &f) {
            return spoil([&f](QJsonObject &o) {
                QJsonArray fields = o["fields"].toArray();
                QJsonObject first = fields.at(0).toObject();
                f(first);
                fields[0] = first;
                o["fields"] = fields;
            });
        };
        auto spoilProperty = [&spoilField](const std::function<void(QJsonObject &)> &f) {
            return spoilField([&f](QJsonObject &field) {
                QJsonArray props = field["properties"].toArray();
                QJsonObject p = props.at(1).toObject();
                f(p);
                props[1] = p;
                field["properties"] = props;
            });
        };
        QTest::newRow("empty") << QByteArray("  \n") << "空的";
        QTest::newRow("truncated") << good.left(good.size() / 2) << "不完整";
        QTest::newRow("truncated at the end") << good.chopped(3) << "不完整";
        QTest::newRow("not json") << QByteArray("<xml/>") << "不是有效的 JSON：第 1 行";
        QTest::newRow("an array") << QByteArray("[1,2]") << "不是票据模板文件";
        QTest::newRow("no format") << spoil([](QJsonObject &o) { o.remove("format"); }) << "format";
        QTest::newRow("newer version") << spoil([](QJsonObject &o) { o["version"] = 2; }) << "版本是 2";
        QTest::newRow("version as text") << spoil([](QJsonObject &o) { o["version"] = "1"; }) << "版本号";
        QTest::newRow("version zero") << spoil([](QJsonObject &o) { o["version"] = 0; }) << "版本号";
        QTest::newRow("version fraction") << spoil([](QJsonObject &o) { o["version"] = 1.5; }) << "版本号";
        QTest::newRow("class missing") << spoil([](QJsonObject &o) { o.remove("class"); }) << "“class”";
        QTest::newRow("class a number") << spoil([](QJsonObject &o) { o["class"] = 7; }) << "“class”";
        QTest::newRow("class with line break") << spoil([](QJsonObject &o) { o["class"] = "农业\n银行"; }) << "换行";
        QTest::newRow("template empty") << spoil([](QJsonObject &o) { o["template"] = ""; }) << "不能为空";
        QTest::newRow("bill missing") << spoil([](QJsonObject &o) { o.remove("bill"); }) << "票据记录应为";
        QTest::newRow("bill is a field")
            << spoil([](QJsonObject &o) {
                   QJsonObject b = o["bill"].toObject();
                   b["key"] = "00007000";
                   b["kind"] = 7;
                   o["bill"] = b;
               })
            << "不是票据";
        QTest::newRow("fields an object") << spoil([](QJsonObject &o) { o["fields"] = QJsonObject(); }) << "“fields”";
        QTest::newRow("key not digits") << spoilField([](QJsonObject &f) { f["key"] = "0010700x"; }) << "八位数字";
        QTest::newRow("key a number") << spoilField([](QJsonObject &f) { f["key"] = 107000; }) << "“key”";
        QTest::newRow("kind disagrees") << spoilField([](QJsonObject &f) { f["kind"] = 8; }) << "类型与编号";
        QTest::newRow("kind not shown") << spoilField([](QJsonObject &f) {
            f["key"] = "00101000";
            f["kind"] = 1;
        }) << "不是标签";
        QTest::newRow("name disagrees") << spoilField([](QJsonObject &f) { f["name"] = "付款人"; }) << "“name”";
        QTest::newRow("no key-0 property") << spoilField([](QJsonObject &f) {
            QJsonArray p = f["properties"].toArray();
            p.removeFirst();
            f["properties"] = p;
            f.remove("name");
        }) << "没有属性 0";
        QTest::newRow("same slot twice") << spoil([](QJsonObject &o) {
            QJsonArray fields = o["fields"].toArray();
            QJsonObject second = fields.at(0).toObject();
            second["key"] = "00108000";
            second["kind"] = 8;
            fields.append(second);
            o["fields"] = fields;
        }) << "位置号 001";
        QTest::newRow("property key too big") << spoilProperty([](QJsonObject &p) { p["key"] = 40000; }) << "“key”";
        QTest::newRow("value a number") << spoilProperty([](QJsonObject &p) { p["value"] = 567; }) << "“value”";
        QTest::newRow("position not a number") << spoilProperty([](QJsonObject &p) {
            p["value"] = "左边";
            p.remove("mm");
        }) << "不是以缇计的数";
        QTest::newRow("millimetres disagree") << spoilProperty([](QJsonObject &p) { p["mm"] = 12.5; }) << "不一致";
        QTest::newRow("millimetres on a colour") << spoilProperty([](QJsonObject &p) {
            p["key"] = 8;
        }) << "不是以缇计的长度";
        QTest::newRow("10 MB value") << spoilProperty([](QJsonObject &p) {
            p["key"] = 15;
            p.remove("mm");
            p["value"] = QString(10 * 1024 * 1024, QLatin1Char('x'));
        }) << "太长";
        QTest::newRow("huge field list") << spoil([](QJsonObject &o) {
            QJsonArray many;
            for (int i = 0; i < 100000; ++i)
                many.append(0);
            o["fields"] = many;
        }) << "最多 1000 项";
        QTest::newRow("huge property list") << spoilField([](QJsonObject &f) {
            QJsonArray many = f["properties"].toArray();
            for (int i = 0; i < 5000; ++i)
                many.append(QJsonObject{{"key", 200 + i}, {"name", "列"}, {"value", "1"}});
            f["properties"] = many;
        }) << "最多 2000 项";
        const QByteArray image = pngBytes().toBase64();
        auto background = [&spoil, &image](const std::function<void(QJsonObject &)> &f) {
            return spoil([&](QJsonObject &o) {
                QJsonObject bg{{"dpi", 150}, {"offsetX", 0}, {"offsetY", 0}, {"opacity", 0.5},
                               {"image", QJsonArray{QString::fromLatin1(image)}}};
                f(bg);
                o["background"] = bg;
            });
        };
        QTest::newRow("scan not base64") << background([](QJsonObject &bg) { bg["image"] = QJsonArray{"%%%"}; })
                                         << "base64";
        QTest::newRow("scan not an image") << background([](QJsonObject &bg) {
            bg["image"] = QJsonArray{QString::fromLatin1(QByteArray("GIF89a not really").toBase64())};
        }) << "不是可用的图像";
        QTest::newRow("scan resolution") << background([](QJsonObject &bg) { bg["dpi"] = 0; }) << "分辨率";
        QTest::newRow("scan opacity") << background([](QJsonObject &bg) { bg["opacity"] = "half"; }) << "“opacity”";
        QTest::newRow("scan huge") << background([](QJsonObject &bg) {
            bg["image"] = QJsonArray{QString::fromLatin1(pngBytes(30000, 2).toBase64())};
        }) << "30000 × 2";
    }
    void brokenFilesRefused()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, why);
        TemplateContent c;
        c.name = {"留", "着"};
        const StoreStatus s = templatefile::fromJson(text, c);
        QVERIFY(!s);
        QVERIFY2(s.message.contains(why), qPrintable(s.message));
        QVERIFY(c.name.className.isEmpty()); // nothing half read
        QVERIFY(c.fields.isEmpty());
    }

    void validFileAccepted()
    {
        TemplateContent c;
        const StoreStatus s = templatefile::fromJson(QJsonDocument(validFile()).toJson(), c);
        QVERIFY2(s.ok(), qPrintable(s.message));
        QCOMPARE(c.name.display(), QStringLiteral("农业银行/转账支票"));
        QCOMPARE(c.fields.size(), 1);
        QCOMPARE(c.fields.at(0).props.at(1).value, QStringLiteral("567"));
        QVERIFY(!c.background);
    }

    void filesOnDisk()
    {
        TemplateContent c;
        StoreStatus s = templatefile::readFile(m_dir.filePath("missing.json"), c);
        QVERIFY(!s);
        QVERIFY(s.message.contains(QStringLiteral("无法打开模板文件“missing.json”")));
        // Too large to be a template: refused before it is read.
        QFile big(m_dir.filePath("big.json"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(templatefile::MaxFileBytes + 1));
        big.close();
        s = templatefile::readFile(big.fileName(), c);
        QVERIFY(!s);
        QVERIFY(s.message.contains(QStringLiteral("文件太大")));
        // A file that cannot be written leaves no half file behind.
        s = templatefile::writeFile(m_dir.filePath("no/such/folder/x.json"), c);
        QVERIFY(!s);
        QVERIFY(s.message.contains(QStringLiteral("无法写入")));
    }
};

QTEST_GUILESS_MAIN(TestTemplateFile)
#include "tst_templatefile.moc"

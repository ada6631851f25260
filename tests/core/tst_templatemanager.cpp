// Managing classes and templates on a fresh default database: each
// operation, each refusal, names that are hard for SQL, and failures in the
// middle of an operation, which must leave every table as it was.
#include "core/database.h"
#include "core/formbackground.h"
#include "core/templatemanager.h"

#include <QBuffer>
#include <QImage>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include "core/sqldialect.h"
#include "core/sqlhelpers.h"
#include "testbackend.h"
#include <QtTest>

namespace {

const TemplateRef Cheque{QStringLiteral("支票"), QStringLiteral("转账支票")};

// The whole database as text: every table's name, columns and rows.
QStringList snapshot(QSqlDatabase db)
{
    QStringList lines;
    const QStringList tables = sqldialect::tables(db);
    for (const QString &t : tables) {
        const QStringList columns = sqldialect::columnNames(db, t);
        lines << QStringLiteral("table %1 (%2)").arg(t, columns.join(','));
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT * FROM %1").arg(TemplateStore::quoteIdentifier(t)));
        QStringList rows;
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < columns.size(); ++i)
                values << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            rows << t + ": " + values.join('|');
        }
        rows.sort();
        lines << rows;
    }
    return lines;
}

bool exec(QSqlDatabase db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(db);
    if (!sql::run(q, sql, values)) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

qint64 count(QSqlDatabase db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    return q.exec() && q.next() ? q.value(0).toLongLong() : -1;
}

QString value(QSqlDatabase db, const QString &table, const QString &key, int type)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT \"cValue\" FROM %1 WHERE \"cKey\"=? AND \"cType\"=?")
                  .arg(TemplateStore::quoteIdentifier(table)));
    q.addBindValue(key);
    q.addBindValue(type);
    return q.exec() && q.next() ? q.value(0).toString() : QStringLiteral("<none>");
}

QByteArray pngBytes()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestTemplateManager : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppState m_state;
    int m_count = 0;

    TemplateManager manager() const { return TemplateManager(m_state.DbConnection); }
    QSqlDatabase db() const { return TemplateStore(m_state.DbConnection).database(); }
    bool tableExists(const QString &t) const { return sqldialect::tables(db()).contains(t); }

    // A printed bill in the template's register and a scanned form.
    void markPrinted(const TemplateRef &ref, int bills = 1)
    {
        for (int i = 0; i < bills; ++i)
            QVERIFY(exec(db(), QStringLiteral("INSERT INTO %1 (\"WriteDate\") VALUES (?)")
                                   .arg(TemplateStore::quoteIdentifier(ref.historyTable())),
                         {QStringLiteral("2024-01-0%1").arg(i + 1)}));
    }
    void addBackground(const TemplateRef &ref)
    {
        FormBackground bg;
        bg.image = pngBytes();
        bg.offsetX = 120;
        QVERIFY(FormBackgroundStore(m_state.DbConnection).save(ref.table(), bg).ok());
    }

    // The database refuses a change ("UPDATE BillList") with "disk full".
    bool refuse(const QString &change) const
    {
        const QString event = change.section(QLatin1Char(' '), 0, 0);
        const QString table = TemplateStore::quoteIdentifier(change.section(QLatin1Char(' '), 1));
        if (!testbackend::onServer())
            return exec(db(), QStringLiteral("CREATE TRIGGER stop BEFORE %1 ON %2 "
                                             "BEGIN SELECT RAISE(ABORT, 'disk full'); END").arg(event, table));
        return exec(db(), QStringLiteral("CREATE FUNCTION stop() RETURNS trigger LANGUAGE plpgsql AS "
                                         "$$BEGIN RAISE EXCEPTION 'disk full'; END$$"))
            && exec(db(), QStringLiteral("CREATE TRIGGER stop BEFORE %1 ON %2 FOR EACH ROW EXECUTE FUNCTION stop()")
                              .arg(event, table));
    }

private slots:
    void init()
    {
        OPEN_FRESH_STORE(m_state, m_dir, ++m_count);
    }
    void cleanupTestCase() { CloseDatabase(m_state); }

    void namesRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why");
        QTest::newRow("empty") << "" << "不能为空";
        QTest::newRow("blanks") << "   " << "不能为空";
        QTest::newRow("leading blank") << " 农业银行" << "空格";
        QTest::newRow("line break") << "农业\n银行" << "换行";
        QTest::newRow("tab") << "a\tb" << "换行";
        QTest::newRow("too long") << QString(51, QChar(0x94F6)) << "50";
        QTest::newRow("exists") << "支票" << "已存在";
    }
    void namesRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, why);
        const QStringList before = snapshot(db());
        const StoreStatus s = manager().createClass(name);
        QVERIFY(!s);
        QVERIFY2(s.message.contains(why), qPrintable(s.message));
        QCOMPARE(snapshot(db()), before);
    }

    void newClassAndBlankTemplate()
    {
        const TemplateManager m = manager();
        QVERIFY(m.createClass(QStringLiteral("农业银行")).ok());
        const auto c = m.findClass(QStringLiteral("农业银行"));
        QVERIFY(c);
        QCOMPARE(c->cKey, 4); // the shipped classes are 1 to 3
        const TemplateRef ref{QStringLiteral("农业银行"), QStringLiteral("进账单")};
        QVERIFY(m.createTemplate(ref, 212, 102).ok());
        const auto b = m.findTemplate(ref);
        QVERIFY(b);
        QCOMPARE(b->bKey, 6);
        QCOMPARE(b->cKey, c->cKey);
        QCOMPARE(value(db(), ref.table(), "00000000", 0), QStringLiteral("进账单"));
        QCOMPARE(value(db(), ref.table(), "00000000", 3), QStringLiteral("12020"));
        QCOMPARE(value(db(), ref.table(), "00000000", 4), QStringLiteral("5783"));
        QCOMPARE(value(db(), ref.table(), "00000000", 9), QStringLiteral("8421440"));
        QCOMPARE(db().record(ref.historyTable()).count(), 1); // WriteDate only
        FieldRegistry reg;
        QVERIFY(TemplateStore(m_state.DbConnection).ReadTemplate(ref.table(), reg).ok());
        QCOMPARE(reg.count(), 1);
        QCOMPARE(reg.at(0).kind, qint16(KindBill));
    }

    void newTemplateRefused_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("width");
        QTest::addColumn<QString>("why");
        QTest::newRow("no class") << "无此类别" << "x" << 200.0 << "不存在";
        QTest::newRow("exists") << "支票" << "转账支票" << 200.0 << "已存在";
        QTest::newRow("empty name") << "支票" << "" << 200.0 << "不能为空";
        QTest::newRow("too small") << "支票" << "小票" << 5.0 << "毫米";
        QTest::newRow("too large") << "支票" << "大票" << 5000.0 << "毫米";
        // 支票_转账 + 支票 ... the class "支票_转账" is made in the test.
        QTest::newRow("same table") << "支票_转账" << "支票" << 200.0 << "已被占用";
        QTest::newRow("case only") << "Bank" << "CHEQUE" << 200.0 << "已被占用";
        QTest::newRow("table name too long") << "支票" << QString(20, QChar(0x94F6)) << 200.0 << "太长";
    }
    void newTemplateRefused()
    {
        QFETCH(QString, className);
        QFETCH(QString, name);
        QFETCH(double, width);
        QFETCH(QString, why);
        const TemplateManager m = manager();
        // "支票_转账/支票" would take the table of "支票/转账_支票".
        QVERIFY(m.createClass(QStringLiteral("支票_转账")).ok());
        QVERIFY(m.createTemplate({QStringLiteral("支票"), QStringLiteral("转账_支票")}, 200, 80).ok());
        QVERIFY(m.createClass(QStringLiteral("bank")).ok());
        QVERIFY(m.createClass(QStringLiteral("Bank")).ok());
        QVERIFY(m.createTemplate({QStringLiteral("bank"), QStringLiteral("cheque")}, 200, 80).ok());
        const QStringList before = snapshot(db());
        const StoreStatus s = m.createTemplate({className, name}, width, 80);
        QVERIFY(!s);
        QVERIFY2(s.message.contains(why), qPrintable(s.message));
        QCOMPARE(snapshot(db()), before);
    }

    void copyTakesFieldsDescriptionsAndScanButNoBills()
    {
        const TemplateManager m = manager();
        markPrinted(Cheque, 2);
        addBackground(Cheque);
        QVERIFY(m.createClass(QStringLiteral("农业银行")).ok());
        const TemplateRef same{QStringLiteral("农业银行"), QStringLiteral("转账支票")};
        const TemplateRef other{QStringLiteral("农业银行"), QStringLiteral("转账支票（新版）")};
        QVERIFY(m.copyTemplate(Cheque, same).ok());
        QVERIFY(m.copyTemplate(Cheque, other).ok());
        TemplateContent source, copy, renamed;
        QVERIFY(m.readContent(Cheque, source).ok());
        QVERIFY(m.readContent(same, copy).ok());
        QVERIFY(m.readContent(other, renamed).ok());
        QCOMPARE(copy.fields.size(), source.fields.size());
        for (int i = 0; i < source.fields.size(); ++i) {
            QCOMPARE(copy.fields.at(i).key, source.fields.at(i).key);
            QCOMPARE(copy.fields.at(i).props.size(), source.fields.at(i).props.size());
        }
        QCOMPARE(copy.bill.name(), QStringLiteral("转账支票"));
        QCOMPARE(renamed.bill.name(), QStringLiteral("转账支票（新版）")); // the bill's name follows
        QVERIFY(copy.background);
        QCOMPARE(copy.background->image, source.background->image);
        QCOMPARE(copy.background->offsetX, 120);
        qint64 printed = -1;
        QVERIFY(m.printedCount(same, printed).ok());
        QCOMPARE(printed, 0);
        QVERIFY(m.printedCount(Cheque, printed).ok());
        QCOMPARE(printed, 2);
        QCOMPARE(db().record(same.historyTable()).count(), db().record(Cheque.historyTable()).count());
        const QString descriptions = QStringLiteral("SELECT COUNT(*) FROM \"ColumnDescriptions\" WHERE \"tableName\"=?");
        QCOMPARE(count(db(), descriptions, {same.historyTable()}), count(db(), descriptions, {Cheque.historyTable()}));
        QVERIFY(count(db(), descriptions, {same.historyTable()}) > 10);
    }

    void renameTemplateMovesEverything_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::newRow("chinese") << "农行转账支票";
        QTest::newRow("quotes") << "O'Neil \"转账\" 支票";
        QTest::newRow("slash and spaces") << "转账 / 支票 2024";
        QTest::newRow("semicolon") << "x\"; DROP TABLE \"AppInfo\"; --";
    }
    void renameTemplateMovesEverything()
    {
        QFETCH(QString, newName);
        const TemplateManager m = manager();
        markPrinted(Cheque, 3);
        addBackground(Cheque);
        TemplateContent before;
        QVERIFY(m.readContent(Cheque, before).ok());
        const TemplateRef to{Cheque.className, newName};
        QVERIFY(m.renameTemplate(Cheque, newName).ok());
        QVERIFY(!m.findTemplate(Cheque));
        QVERIFY(m.findTemplate(to));
        QVERIFY(!tableExists(Cheque.table()));
        QVERIFY(!tableExists(Cheque.historyTable()));
        QVERIFY(tableExists(QStringLiteral("AppInfo")));
        TemplateContent after;
        QVERIFY(m.readContent(to, after).ok());
        QCOMPARE(after.fields.size(), before.fields.size());
        QCOMPARE(after.bill.name(), newName);
        QVERIFY(after.background);
        qint64 printed = 0;
        QVERIFY(m.printedCount(to, printed).ok());
        QCOMPARE(printed, 3);
        const QString descriptions = QStringLiteral("SELECT COUNT(*) FROM \"ColumnDescriptions\" WHERE \"tableName\"=?");
        QCOMPARE(count(db(), descriptions, {Cheque.historyTable()}), 0);
        QVERIFY(count(db(), descriptions, {to.historyTable()}) > 10);
        // And back: the same rows under the old name.
        QVERIFY(m.renameTemplate(to, Cheque.templateName).ok());
        TemplateContent back;
        QVERIFY(m.readContent(Cheque, back).ok());
        QCOMPARE(back.bill.name(), Cheque.templateName);
    }

    void renameChangingCaseOnly()
    {
        const TemplateManager m = manager();
        QVERIFY(m.createClass(QStringLiteral("bank")).ok());
        QVERIFY(m.createTemplate({QStringLiteral("bank"), QStringLiteral("cheque")}, 200, 80).ok());
        QVERIFY(m.renameTemplate({QStringLiteral("bank"), QStringLiteral("cheque")}, QStringLiteral("Cheque")).ok());
        QVERIFY(m.renameClass(QStringLiteral("bank"), QStringLiteral("BANK")).ok());
        QVERIFY(tableExists(QStringLiteral("BANK_Cheque")));
        QVERIFY(tableExists(QStringLiteral("H_BANK_Cheque")));
        QVERIFY(m.findTemplate({QStringLiteral("BANK"), QStringLiteral("Cheque")}));
    }

    void renameClassMovesItsTemplates()
    {
        const TemplateManager m = manager();
        markPrinted(Cheque);
        addBackground({QStringLiteral("支票"), QStringLiteral("现金支票")});
        QVERIFY(m.renameClass(QStringLiteral("支票"), QStringLiteral("工行 \"支票\"/2024")).ok());
        QVERIFY(!m.findClass(QStringLiteral("支票")));
        for (const QString &t : {QStringLiteral("转账支票"), QStringLiteral("现金支票")}) {
            const TemplateRef ref{QStringLiteral("工行 \"支票\"/2024"), t};
            TemplateContent c;
            QVERIFY2(m.readContent(ref, c).ok(), qPrintable(t));
            QVERIFY(tableExists(ref.historyTable()));
            QCOMPARE(c.background.has_value(), t == QStringLiteral("现金支票"));
        }
        QCOMPARE(m.templatesOf(QStringLiteral("工行 \"支票\"/2024")).size(), 2);
    }

    void renameRefused_data()
    {
        QTest::addColumn<bool>("isClass");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("why");
        QTest::newRow("template exists") << false << "现金支票" << "已存在";
        QTest::newRow("template empty") << false << "" << "不能为空";
        QTest::newRow("class exists") << true << "结算凭证" << "已存在";
        QTest::newRow("class makes a taken table") << true << "结算" << "已被占用";
        QTest::newRow("class too long") << true << QString(17, QChar(0x94F6)) << "太长";
        QTest::newRow("class reserved") << true << "sqlite" << "sqlite";
    }
    void renameRefused()
    {
        QFETCH(bool, isClass);
        QFETCH(QString, newName);
        QFETCH(QString, why);
        const TemplateManager m = manager();
        // "结算/凭证_转账支票" would take the table of "结算_凭证"... made here:
        QVERIFY(exec(db(), QStringLiteral("CREATE TABLE \"结算_转账支票\" (\"x\" INTEGER)")));
        const QStringList before = snapshot(db());
        const StoreStatus s = isClass ? m.renameClass(QStringLiteral("支票"), newName)
                                      : m.renameTemplate(Cheque, newName);
        QVERIFY(!s);
        QVERIFY2(s.message.contains(why), qPrintable(s.message));
        QCOMPARE(snapshot(db()), before);
    }

    void failureMidwayChangesNothing_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("trigger"); // "EVENT TABLE": the change that is refused
        const QString descriptions = "UPDATE ColumnDescriptions";
        const QString background = "UPDATE FormBackground";
        const QString bills = "UPDATE BillList";
        const QString classes = "UPDATE ClassList";
        const QString billInsert = "INSERT BillList";
        const QString billDelete = "DELETE BillList";
        QTest::newRow("rename template, descriptions") << "rename template" << descriptions;
        QTest::newRow("rename template, scan") << "rename template" << background;
        QTest::newRow("rename template, list") << "rename template" << bills;
        QTest::newRow("rename class, descriptions") << "rename class" << descriptions;
        QTest::newRow("rename class, last step") << "rename class" << classes;
        QTest::newRow("copy, list") << "copy" << billInsert;
        QTest::newRow("new template, list") << "new template" << billInsert;
        QTest::newRow("delete, list") << "delete" << billDelete;
        QTest::newRow("move to deleted, list") << "move" << bills;
        QTest::newRow("import, list") << "import" << billInsert;
    }
    void failureMidwayChangesNothing()
    {
        QFETCH(QString, operation);
        QFETCH(QString, trigger);
        const TemplateManager m = manager();
        markPrinted(Cheque);
        addBackground(Cheque);
        QVERIFY(refuse(trigger));
        const QStringList before = snapshot(db());
        TemplateContent content;
        QVERIFY(m.readContent(Cheque, content).ok());
        const TemplateRef other{QStringLiteral("支票"), QStringLiteral("转账支票二")};
        StoreStatus s;
        if (operation == "rename template")
            s = m.renameTemplate(Cheque, QStringLiteral("转账"));
        else if (operation == "rename class")
            s = m.renameClass(QStringLiteral("支票"), QStringLiteral("农行支票"));
        else if (operation == "copy")
            s = m.copyTemplate(Cheque, other);
        else if (operation == "new template")
            s = m.createTemplate(other, 200, 80);
        else if (operation == "delete")
            s = m.deleteTemplate(Cheque, TemplateManager::Removal::DropAll);
        else if (operation == "move")
            s = m.deleteTemplate(Cheque, TemplateManager::Removal::KeepPrinted);
        else
            s = m.importContent(content, other);
        QVERIFY(!s);
        QVERIFY2(s.message.contains("disk full"), qPrintable(s.message));
        QCOMPARE(snapshot(db()), before);
        // The store works on afterwards.
        QVERIFY(exec(db(), testbackend::onServer()
                               ? QStringLiteral("DROP TRIGGER stop ON %1")
                                     .arg(TemplateStore::quoteIdentifier(trigger.section(QLatin1Char(' '), 1)))
                               : QStringLiteral("DROP TRIGGER stop")));
        QVERIFY(m.createClass(QStringLiteral("之后")).ok());
    }

    void deleteClassOnlyWhenEmpty()
    {
        const TemplateManager m = manager();
        StoreStatus s = m.deleteClass(QStringLiteral("支票"));
        QVERIFY(!s);
        QVERIFY(s.message.contains(QStringLiteral("2 个模板")));
        QVERIFY(m.createClass(QStringLiteral("空类别")).ok());
        QVERIFY(m.deleteClass(QStringLiteral("空类别")).ok());
        QVERIFY(!m.findClass(QStringLiteral("空类别")));
        QVERIFY(!m.deleteClass(QStringLiteral("空类别")));
    }

    void deleteUnprintedDropsEverything()
    {
        const TemplateManager m = manager();
        addBackground(Cheque);
        TemplateRef moved{QStringLiteral("x"), QStringLiteral("y")};
        QVERIFY(m.deleteTemplate(Cheque, TemplateManager::Removal::KeepPrinted, &moved).ok());
        QVERIFY(moved.className.isEmpty());
        QVERIFY(!m.findTemplate(Cheque));
        QVERIFY(!tableExists(Cheque.table()));
        QVERIFY(!tableExists(Cheque.historyTable()));
        QCOMPARE(count(db(), "SELECT COUNT(*) FROM \"ColumnDescriptions\" WHERE \"tableName\"=?", {Cheque.historyTable()}), 0);
        QCOMPARE(count(db(), "SELECT COUNT(*) FROM \"FormBackground\" WHERE \"templateTable\"=?", {Cheque.table()}), 0);
        QVERIFY(!m.findClass(TemplateManager::deletedClass()));
    }

    void deletePrintedMovesUnlessDropped()
    {
        const TemplateManager m = manager();
        markPrinted(Cheque, 2);
        TemplateRef moved;
        QVERIFY(m.deleteTemplate(Cheque, TemplateManager::Removal::KeepPrinted, &moved).ok());
        QCOMPARE(moved, (TemplateRef{QStringLiteral("已删除"), QStringLiteral("转账支票（支票）")}));
        qint64 printed = 0;
        QVERIFY(m.printedCount(moved, printed).ok());
        QCOMPARE(printed, 2);
        QVERIFY(!m.findTemplate(Cheque));
        // The same name deleted again takes a number.
        QVERIFY(m.copyTemplate({QStringLiteral("支票"), QStringLiteral("现金支票")}, Cheque).ok());
        markPrinted(Cheque);
        TemplateRef second;
        QVERIFY(m.deleteTemplate(Cheque, TemplateManager::Removal::KeepPrinted, &second).ok());
        QCOMPARE(second.templateName, QStringLiteral("转账支票（支票） 2"));
        // Among the deleted ones, keeping is refused and dropping is final.
        const StoreStatus again = m.deleteTemplate(moved, TemplateManager::Removal::KeepPrinted);
        QVERIFY(!again);
        QVERIFY(again.message.contains(QStringLiteral("2 张")));
        QVERIFY(m.deleteTemplate(moved, TemplateManager::Removal::DropAll).ok());
        QVERIFY(!tableExists(moved.historyTable()));
        QCOMPARE(m.templatesOf(TemplateManager::deletedClass()), QStringList{second.templateName});
    }

    void contentRoundTripsThroughImport_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("name");
        QTest::newRow("sample") << "通用票据" << "通用凭证";
        QTest::newRow("transfer cheque") << "支票" << "转账支票";
        QTest::newRow("cash cheque") << "支票" << "现金支票";
        QTest::newRow("deposit slip") << "结算凭证" << "进账单";
        QTest::newRow("remittance") << "结算凭证" << "电汇凭证";
    }
    void contentRoundTripsThroughImport()
    {
        QFETCH(QString, className);
        QFETCH(QString, name);
        const TemplateManager m = manager();
        const TemplateRef ref{className, name};
        addBackground(ref);
        TemplateContent original;
        QVERIFY(m.readContent(ref, original).ok());
        const TemplateRef as{QStringLiteral("导入 'x'"), name};
        QVERIFY(m.importContent(original, as).ok());
        TemplateContent imported;
        QVERIFY(m.readContent(as, imported).ok());
        QCOMPARE(imported.bill.key, original.bill.key);
        QCOMPARE(imported.fields.size(), original.fields.size());
        for (int i = 0; i < original.fields.size(); ++i) {
            const TemplateRecord &a = original.fields.at(i), &b = imported.fields.at(i);
            QCOMPARE(b.key, a.key);
            QCOMPARE(b.props.size(), a.props.size());
            for (int p = 0; p < a.props.size(); ++p) {
                QCOMPARE(b.props.at(p).key, a.props.at(p).key);
                QCOMPARE(b.props.at(p).name, a.props.at(p).name);
                QCOMPARE(b.props.at(p).value, a.props.at(p).value);
            }
        }
        QVERIFY(imported.background);
        QCOMPARE(imported.background->image, original.background->image);
        // A register with a column per check, date, text and money field,
        // described by the field's name.
        QStringList expected{QStringLiteral("WriteDate")};
        for (const TemplateRecord &f : std::as_const(original.fields))
            if (f.kind() >= KindCheck)
                expected << f.key;
        QCOMPARE(sqldialect::columnNames(db(), as.historyTable()), expected);
        for (const TemplateRecord &f : std::as_const(original.fields))
            if (f.kind() >= KindCheck)
                QCOMPARE(TemplateStore(m_state.DbConnection).columnDescription(as.historyTable(), f.key), f.name());
        // The same name again is refused.
        const StoreStatus twice = m.importContent(original, as);
        QVERIFY(!twice);
        QVERIFY(twice.message.contains(QStringLiteral("已存在")));
    }

    void readContentLeavesOutWhatIsNeverRead()
    {
        const TemplateManager m = manager();
        QVERIFY(m.createClass(QStringLiteral("杂")).ok());
        const TemplateRef ref{QStringLiteral("杂"), QStringLiteral("票")};
        QVERIFY(m.createTemplate(ref, 100, 50).ok());
        const QString t = TemplateStore::quoteIdentifier(ref.table());
        QVERIFY(exec(db(), QStringLiteral("INSERT INTO %1 VALUES ('00107000','名称',0,'甲'),('00107000','左',1,NULL),"
                                          "('00207000','左',1,'5'),('00301000','名称',0,'旧')").arg(t)));
        TemplateContent c;
        QVERIFY(m.readContent(ref, c).ok());
        QCOMPARE(c.fields.size(), 1); // no key-0 row, or a kind the program never shows
        QCOMPARE(c.fields.at(0).key, QStringLiteral("00107000"));
        QCOMPARE(c.fields.at(0).props.at(1).value, QString()); // Null read as empty
        QVERIFY(exec(db(), QStringLiteral("DELETE FROM %1 WHERE \"cKey\"='00000000'").arg(t)));
        const StoreStatus s = m.readContent(ref, c);
        QVERIFY(!s);
        QVERIFY(s.message.contains(QStringLiteral("票据记录")));
    }
};

QTEST_GUILESS_MAIN(TestTemplateManager)
#include "tst_templatemanager.moc"

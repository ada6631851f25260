// The register's text search through its index finds exactly the rows the
// search without it finds: wildcards typed literally, case, texts too short
// for trigrams, void reasons, rows added by a program that does not feed the
// index, rows deleted and numbers taken again; the index follows the
// upgrade, a template's deletion and a long run of bills.
#include "testbackend.h"
#include "core/batch.h"
#include "core/billentry.h"
#include "core/billregister.h"
#include "core/registersearch.h"
#include "core/schema.h"
#include "core/sqldialect.h"
#include "core/templatemanager.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

const TemplateRef Cheque{QStringLiteral("支票"), QStringLiteral("转账支票")};
const QString Payee = QStringLiteral("01107002");
const QString Purpose = QStringLiteral("01907006");

} // namespace

class TestRegisterSearch : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppState m_state;
    BillTemplate m_cheque;

    QSqlDatabase db() const { return QSqlDatabase::database(m_state.DbConnection); }
    QString history() const { return Cheque.historyTable(); }
    billregister::Register reg() const { return billregister::Register(m_state.DbConnection, Cheque.table()); }

    Status print(const QString &payee, const QString &purpose = {})
    {
        BillDocument doc;
        doc.setTemplate(m_cheque);
        if (Status s = entry::enter(doc, Payee, payee); !s)
            return s;
        if (!purpose.isEmpty())
            if (Status s = entry::enter(doc, Purpose, purpose); !s)
                return s;
        return reg().record(doc, {QStringLiteral("PDF 文件"), 1});
    }
    // The payees found, newest first.
    QStringList found(const QString &text, int limit = 0)
    {
        billregister::Filter f;
        f.text = text;
        const Result<QList<billregister::Entry>> r = reg().rows(m_cheque, f, limit, 0);
        if (!r)
            qWarning("%s", qPrintable(r.message()));
        QStringList payees;
        for (const billregister::Entry &e : r ? *r : QList<billregister::Entry>())
            payees << e.values.value(Payee);
        return payees;
    }
    // Takes the index away, as on a store that cannot keep one.
    void dropIndex()
    {
        QSqlDatabase d = db();
        if (sqldialect::isServer(d)) {
            QSqlQuery q(d);
            QVERIFY(q.exec(QStringLiteral("ALTER TABLE \"%1\" DROP COLUMN \"RegSearch\"").arg(history())));
        } else {
            QVERIFY(registersearch::drop(d, history()).ok());
        }
        QVERIFY(!registersearch::indexed(d, history()));
    }
    void makeIndex()
    {
        QSqlDatabase d = db();
        QVERIFY(d.transaction());
        QVERIFY(registersearch::ensure(d, history()).ok());
        QVERIFY(d.commit());
        QVERIFY(registersearch::indexed(d, history()));
    }
    // A row as a program that knows nothing of the index writes it.
    void insertBehindTheIndex(qint64 number, const QString &payee)
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("INSERT INTO \"%1\" (\"WriteDate\", \"RegNo\", \"RegStatus\", \"%2\", \"RegText\") "
                                 "VALUES (?, ?, 'printed', ?, ?)")
                      .arg(history(), Payee));
        q.addBindValue(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
        q.addBindValue(number);
        q.addBindValue(payee);
        q.addBindValue(payee.toLower());
        QVERIFY(q.exec());
    }

private slots:
    void initTestCase()
    {
        OPEN_FRESH_STORE(m_state, m_dir, 1);
        const Result<BillTemplate> t = batch::loadTemplate(m_state.DbConnection, Cheque);
        QVERIFY(t.ok());
        m_cheque = *t;
        for (const auto &[payee, purpose] : QList<QPair<QString, QString>>{
                 {QStringLiteral("上海浦江贸易有限公司"), QStringLiteral("货款")},
                 {QStringLiteral("丙 50%折扣公司"), QStringLiteral("工资")},
                 {QStringLiteral("A_B 公司"), QStringLiteral("under_score")},
                 {QStringLiteral("Back\\Slash 公司"), {}},
                 {QStringLiteral("ÉCOLE Française"), {}},
                 {QStringLiteral("乙银行"), QStringLiteral("备用金")}})
            QVERIFY(print(payee, purpose).ok());
        // The last one is voided; its reason is searched too.
        const Result<QList<billregister::Entry>> all = reg().rows(m_cheque, {}, 1, 0);
        QVERIFY(all.ok() && all->size() == 1);
        QVERIFY(reg().voidRow(all->first().number, QStringLiteral("Wrong 收款人 Écrit")).ok());
        insertBehindTheIndex(100, QStringLiteral("旧版本写入的单位"));
    }

    // Before anything renews the index: a row that went in behind it is
    // found, and the next bill the program records takes it in.
    void rowsWrittenBehindTheIndexAreFound()
    {
        const registersearch::Condition c = registersearch::textCondition(db(), history(), QStringLiteral("旧版本"), 0);
        QVERIFY(c.sql.contains(QLatin1String("MATCH")) || c.sql.contains(QLatin1String("RegSearch")));
        QCOMPARE(found(QStringLiteral("旧版本")), QStringList{"旧版本写入的单位"});
        QVERIFY(print(QStringLiteral("新版本写入的单位")).ok());
        QCOMPARE(found(QStringLiteral("版本写入")), (QStringList{"新版本写入的单位", "旧版本写入的单位"}));
    }

    void upgradeIndexesEveryRegisterOnce()
    {
        QSqlDatabase d = db();
        for (int run = 0; run < 2; ++run)
            QVERIFY(schema::upgrade(m_state.DbConnection).ok());
        int registers = 0;
        for (const QString &table : sqldialect::tables(d))
            if (table.startsWith(QLatin1String("H_"))) {
                ++registers;
                QVERIFY2(registersearch::indexed(d, table), qPrintable(table));
            }
        QVERIFY(registers > 3);
        // One index each, however often the upgrade ran; the index's own
        // tables are none of the program's.
        QSqlQuery q(d);
        if (sqldialect::isServer(d))
            QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM pg_indexes WHERE tablename = '%1' "
                                          "AND indexdef LIKE '%gin_trgm_ops%'").arg(history())));
        else
            QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' "
                                          "AND tbl_name = '%1' AND name LIKE 'regsearch%'").arg(history())));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        for (const QString &table : sqldialect::tables(d))
            QVERIFY2(!table.startsWith(QLatin1String("regsearch")), qPrintable(table));
    }

    void sameRowsAsWithoutTheIndex_data()
    {
        QTest::addColumn<QString>("text");
        // Whether the index serves the text on the file (three characters
        // or more) and on the server (three letters or digits in a row of
        // its form, which a character beyond ASCII is by itself).
        QTest::addColumn<bool>("onFile");
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<QStringList>("payees");
        const QStringList everyone{"新版本写入的单位", "旧版本写入的单位", "乙银行", "ÉCOLE Française", "Back\\Slash 公司",
                                   "A_B 公司", "丙 50%折扣公司", "上海浦江贸易有限公司"};
        QTest::newRow("a payee") << "浦江贸易" << true << true << QStringList{"上海浦江贸易有限公司"};
        QTest::newRow("another field") << "under_sc" << true << true << QStringList{"A_B 公司"};
        QTest::newRow("percent typed") << "50%折" << true << true << QStringList{"丙 50%折扣公司"};
        QTest::newRow("percent alone") << "%" << false << false << QStringList{"丙 50%折扣公司"};
        QTest::newRow("underscore typed") << "a_b" << true << false << QStringList{"A_B 公司"};
        QTest::newRow("percent is no wildcard") << "a%b" << true << false << QStringList{};
        QTest::newRow("underscore is no wildcard") << "5_%" << true << false << QStringList{};
        QTest::newRow("backslash, upper case") << "BACK\\SLASH" << true << true << QStringList{"Back\\Slash 公司"};
        QTest::newRow("upper case beyond ASCII") << "ÉCOLE" << true << true << QStringList{"ÉCOLE Française"};
        QTest::newRow("void reason") << "wrong 收款" << true << true << QStringList{"乙银行"};
        QTest::newRow("void reason beyond ASCII") << "écrit" << true << true << QStringList{};
        QTest::newRow("written behind the index") << "版本写入" << true << true
                                                  << QStringList{"新版本写入的单位", "旧版本写入的单位"};
        QTest::newRow("two characters") << "公司" << false << true
                                        << QStringList{"Back\\Slash 公司", "A_B 公司", "丙 50%折扣公司",
                                                       "上海浦江贸易有限公司"};
        QTest::newRow("one character") << "乙" << false << true << QStringList{"乙银行"};
        QTest::newRow("the printer, in every row") << "pdf 文件" << true << true
                                                   << (everyone.mid(0, 1) + everyone.mid(2));
        QTest::newRow("nowhere") << "没有这个收款人" << true << true << QStringList{};
    }
    void sameRowsAsWithoutTheIndex()
    {
        QFETCH(QString, text);
        QFETCH(bool, onFile);
        QFETCH(bool, onServer);
        QFETCH(QStringList, payees);
        QSqlDatabase d = db();
        QVERIFY(registersearch::indexed(d, history()));
        const registersearch::Condition c =
            registersearch::textCondition(d, history(), text.trimmed().toLower(), 0);
        QCOMPARE(c.sql.contains(QLatin1String("MATCH")) || c.sql.contains(QLatin1String("RegSearch")),
                 sqldialect::isServer(d) ? onServer : onFile);
        const QStringList indexed = found(text);
        dropIndex();
        const QStringList plain = found(text);
        makeIndex();
        QCOMPARE(indexed, plain);
        QCOMPARE(indexed, payees);
    }

    // A text in more rows than sorting pays for is read newest first: the
    // same rows, in the same order, a page at a time.
    void manyRowsReadNewestFirst()
    {
        for (int i = 0; i < 60; ++i)
            QVERIFY(print(QStringLiteral("批量公司%1").arg(i)).ok());
        const registersearch::Condition c = registersearch::textCondition(db(), history(), QStringLiteral("批量公司"), 1);
        QVERIFY(c.newestFirst);
        QCOMPARE(found(QStringLiteral("批量公司"), 1), QStringList{"批量公司59"});
        QCOMPARE(found(QStringLiteral("批量公司"), 100).size(), 60);
        QCOMPARE(found(QStringLiteral("批量公司5"), 100), (QStringList{"批量公司59", "批量公司58", "批量公司57",
                                                                      "批量公司56", "批量公司55", "批量公司54",
                                                                      "批量公司53", "批量公司52", "批量公司51",
                                                                      "批量公司50", "批量公司5"}));
    }

    // Rows taken away at the end (never by the program) free their numbers
    // on the file; a bill that takes one again is found by its own text.
    void numbersTakenAgain()
    {
        QVERIFY(print(QStringLiteral("第一家单位")).ok());
        QVERIFY(print(QStringLiteral("第二家单位")).ok());
        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("DELETE FROM \"%1\" WHERE \"%2\" = '第二家单位'").arg(history(), Payee)));
        QVERIFY(print(QStringLiteral("第三家单位")).ok());
        QCOMPARE(found(QStringLiteral("第三家")), QStringList{"第三家单位"});
        QCOMPARE(found(QStringLiteral("第二家")), QStringList{});
        QCOMPARE(found(QStringLiteral("第一家")), QStringList{"第一家单位"});
    }

    // A batch records its bills with one prepared statement and feeds the
    // index in the same transaction: each bill is found.
    void batchBillsAreFound()
    {
        BillDocument doc;
        doc.setTemplate(m_cheque);
        const billregister::Register r = reg();
        QVERIFY(r.prepare(m_cheque).ok());
        QVERIFY(r.begin().ok());
        for (int i = 0; i < 30; ++i) {
            doc.setTemplate(m_cheque);
            QVERIFY(entry::enter(doc, Payee, QStringLiteral("批次单位%1号").arg(i)).ok());
            QVERIFY(r.add(doc, {QStringLiteral("queue"), 1}).ok());
        }
        QVERIFY(r.commit().ok());
        QCOMPARE(found(QStringLiteral("批次单位17号")), QStringList{"批次单位17号"});
        QCOMPARE(found(QStringLiteral("批次单位")).size(), 30);
    }

    void deletingATemplateTakesItsIndex()
    {
        const TemplateManager manager(m_state.DbConnection);
        const TemplateRef copy{QStringLiteral("支票"), QStringLiteral("转账支票副本")};
        QVERIFY(manager.copyTemplate(Cheque, copy).ok());
        QSqlDatabase d = db();
        QVERIFY(d.transaction());
        QVERIFY(billregister::prepareTable(d, copy.historyTable()).ok());
        QVERIFY(registersearch::ensure(d, copy.historyTable()).ok());
        QVERIFY(d.commit());
        QVERIFY(registersearch::indexed(d, copy.historyTable()));
        QVERIFY(manager.deleteTemplate(copy, TemplateManager::Removal::DropAll).ok());
        if (sqldialect::isServer(d))
            return; // the server's indexes go with their table
        // One FTS table and one tag per register left, nothing more.
        const QStringList tables = sqldialect::tables(d);
        const int registers = int(std::count_if(tables.cbegin(), tables.cend(),
                                                [](const QString &t) { return t.startsWith(QLatin1String("H_")); }));
        QSqlQuery q(d);
        for (const char *count : {"SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND sql LIKE 'CREATE VIRTUAL%'",
                                  "SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'regsearch%'"}) {
            QVERIFY(q.exec(QString::fromLatin1(count)));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), registers);
        }
    }

    void serverFormKeepsContainment_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("part");
        QTest::newRow("Chinese") << "收款单位4321有限公司" << "单位43";
        QTest::newRow("beyond the basic plane") << "a\U0001F600b𠀀c" << "\U0001F600b𠀀";
        QTest::newRow("wildcards stay") << "50%_\\" << "%_\\";
    }
    void serverFormKeepsContainment()
    {
        QFETCH(QString, text);
        QFETCH(QString, part);
        const QString form = registersearch::serverForm(text);
        QVERIFY(form.contains(registersearch::serverForm(part)));
        for (const QChar c : form)
            QVERIFY(c.unicode() < 0x80);
    }

    void cleanupTestCase() { CloseDatabase(m_state); }
};

QTEST_MAIN(TestRegisterSearch)
#include "tst_registersearch.moc"

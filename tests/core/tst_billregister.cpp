// The bill register on the shipped templates: what a print records, how the
// rows are found again, voided and exported, the payee book's values, the
// batch recorder, and the columns following a redesign.
#include "core/batch.h"
#include "core/billentry.h"
#include "core/billregister.h"
#include "core/csvreader.h"
#include "core/database.h"
#include "core/templatemanager.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

const TemplateRef Cheque{QStringLiteral("支票"), QStringLiteral("转账支票")};
const TemplateRef Voucher{QStringLiteral("通用票据"), QStringLiteral("通用凭证")};

const QString Payee = QStringLiteral("01107002");
const QString Account = QStringLiteral("01307003");
const QString Bank = QStringLiteral("00907001");
const QString Amount = QStringLiteral("01508000");
const QString Words = QStringLiteral("01607004");
const QString Purpose = QStringLiteral("01907006");
const QString Date = QStringLiteral("00606000");

using Values = QHash<QString, QString>;

struct ListSink : batch::PageSink {
    int bills = 0;
    int failAt = -1;
    Status addBill(const PrintItems &, int) override
    {
        if (bills == failAt)
            return Status::failure(QStringLiteral("disk full"), 3);
        ++bills;
        return {};
    }
    Status finish() override { return {}; }
    void abort() override {}
    bool canAbort() const override { return true; }
    QString printerName() const override { return QStringLiteral("queue"); }
};

} // namespace

class TestBillRegister : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppState m_state;

    BillTemplate load(const TemplateRef &ref)
    {
        const Result<BillTemplate> t = batch::loadTemplate(m_state.DbConnection, ref);
        return t ? *t : BillTemplate();
    }
    billregister::Register reg(const TemplateRef &ref) const
    {
        return billregister::Register(m_state.DbConnection, ref.table());
    }
    // Fills a bill of the template as a clerk types the values and records
    // it as printed.
    Status print(const TemplateRef &ref, const Values &values, const billregister::PrintInfo &info = {"PDF 文件", 1})
    {
        BillDocument doc;
        doc.setTemplate(load(ref));
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            if (Status s = entry::enter(doc, it.key(), it.value()); !s)
                return s;
        return reg(ref).record(doc, info);
    }
    QList<billregister::Entry> rows(const TemplateRef &ref, const billregister::Filter &f = {})
    {
        const Result<QList<billregister::Entry>> r = reg(ref).rows(load(ref), f);
        if (!r)
            qWarning("%s", qPrintable(r.message()));
        return r ? *r : QList<billregister::Entry>();
    }
    void emptyRegister(const TemplateRef &ref)
    {
        QSqlQuery q(QSqlDatabase::database(m_state.DbConnection));
        QVERIFY(q.exec(QStringLiteral("DELETE FROM \"%1\"").arg(ref.historyTable())));
    }

private slots:
    void initTestCase()
    {
        const QString path = m_dir.filePath(QStringLiteral("DB/BillDB.db"));
        QVERIFY(database::ensureExists(path).ok());
        QCOMPARE(OpenDatabase(m_state, path), 0);
    }
    void init()
    {
        emptyRegister(Cheque);
        emptyRegister(Voucher);
    }

    void upgradeGivesEveryHistoryTableTheRegisterColumns()
    {
        QSqlDatabase db = QSqlDatabase::database(m_state.DbConnection);
        for (const QString &table : db.tables())
            if (table.startsWith(QLatin1String("H_")))
                for (const char *c : {"RegNo", "RegStatus", "RegReason", "RegPrinter", "RegCopies", "RegUser"})
                    QVERIFY2(db.record(table).indexOf(QLatin1String(c)) >= 0, qPrintable(table + ' ' + c));
    }

    void recordsEachKindAsTyped_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("recorded");
        QTest::newRow("money as its amount") << "00608000" << "1234.5" << "1234.50";
        QTest::newRow("money below one yuan") << "00608000" << "0.05" << "0.05";
        QTest::newRow("date as typed") << "00106000" << "20261208" << "20261208";
        QTest::newRow("text with its lines") << "00307000" << "上海某某公司\n第二行" << "上海某某公司\n第二行";
        QTest::newRow("check ticked") << "00705000" << "√" << "√";
        QTest::newRow("check clear") << "00705000" << "否" << "";
    }
    void recordsEachKindAsTyped()
    {
        QFETCH(QString, key);
        QFETCH(QString, typed);
        QFETCH(QString, recorded);
        QVERIFY(print(Voucher, {{key, typed}}).ok());
        const QList<billregister::Entry> r = rows(Voucher);
        QCOMPARE(r.size(), 1);
        QCOMPARE(r.first().values.value(key), recorded);
        QCOMPARE(r.first().status, billregister::Printed);
        QVERIFY(QDateTime::fromString(r.first().written, Qt::ISODate).isValid());
        QVERIFY(qAbs(QDateTime::fromString(r.first().written, Qt::ISODate).secsTo(QDateTime::currentDateTime())) < 60);
    }

    void recordsPrinterCopiesAndUser()
    {
        QVERIFY(print(Cheque, {{Payee, QStringLiteral("甲公司")}}, {QStringLiteral("HP 前台"), 3}).ok());
        const QList<billregister::Entry> r = rows(Cheque);
        QCOMPARE(r.size(), 1);
        QCOMPARE(r.first().printer, QStringLiteral("HP 前台"));
        QCOMPARE(r.first().copies, 3);
        QCOMPARE(r.first().user, billregister::osUser());
        QVERIFY(!r.first().user.isEmpty());
        // Computed fields are recorded as they printed.
        QVERIFY(print(Cheque, {{Amount, QStringLiteral("1234.56")}}).ok());
        QVERIFY(rows(Cheque).first().values.value(Words).endsWith(QStringLiteral("壹仟贰佰叁拾肆圆伍角陆分")));
    }

    void newestFirst()
    {
        for (const char *payee : {"甲", "乙", "丙"})
            QVERIFY(print(Cheque, {{Payee, QString::fromUtf8(payee)}}).ok());
        QStringList order;
        for (const billregister::Entry &e : rows(Cheque))
            order << e.values.value(Payee);
        QCOMPARE(order, (QStringList{"丙", "乙", "甲"}));
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("fromDays"); // from today + n; 99: no bound
        QTest::addColumn<int>("toDays");
        QTest::addColumn<QStringList>("payees");
        QTest::newRow("everything") << "" << "" << 99 << 99 << QStringList{"丙 50%", "乙银行", "甲公司"};
        QTest::newRow("text in the payee") << "公司" << "" << 99 << 99 << QStringList{"甲公司"};
        QTest::newRow("text in another field") << "工资" << "" << 99 << 99 << QStringList{"乙银行"};
        QTest::newRow("text in the printer") << "HP" << "" << 99 << 99 << QStringList{"甲公司"};
        QTest::newRow("percent is no wildcard") << "%" << "" << 99 << 99 << QStringList{"丙 50%"};
        QTest::newRow("underscore is no wildcard") << "_" << "" << 99 << 99 << QStringList{};
        QTest::newRow("amount as typed") << "" << "1,234.5" << 99 << 99 << QStringList{"甲公司"};
        QTest::newRow("amount with sign") << "" << "￥88" << 99 << 99 << QStringList{"乙银行"};
        QTest::newRow("amount nobody printed") << "" << "1234.51" << 99 << 99 << QStringList{};
        QTest::newRow("today") << "" << "" << 0 << 0 << QStringList{"丙 50%", "乙银行", "甲公司"};
        QTest::newRow("until yesterday") << "" << "" << 99 << -1 << QStringList{};
        QTest::newRow("from tomorrow") << "" << "" << 1 << 99 << QStringList{};
        QTest::newRow("text and amount") << "乙" << "88.00" << 0 << 0 << QStringList{"乙银行"};
        QTest::newRow("text and another amount") << "乙" << "1234.50" << 99 << 99 << QStringList{};
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QString, amount);
        QFETCH(int, fromDays);
        QFETCH(int, toDays);
        QFETCH(QStringList, payees);
        QVERIFY(print(Cheque, {{Payee, QStringLiteral("甲公司")}, {Amount, QStringLiteral("1234.5")}},
                      {QStringLiteral("HP"), 1}).ok());
        QVERIFY(print(Cheque, {{Payee, QStringLiteral("乙银行")}, {Amount, QStringLiteral("88")},
                               {Purpose, QStringLiteral("工资")}}).ok());
        QVERIFY(print(Cheque, {{Payee, QStringLiteral("丙 50%")}, {Amount, QStringLiteral("7")}}).ok());
        billregister::Filter f;
        f.text = text;
        f.amount = amount;
        if (fromDays != 99)
            f.from = QDate::currentDate().addDays(fromDays);
        if (toDays != 99)
            f.to = QDate::currentDate().addDays(toDays);
        QStringList found;
        for (const billregister::Entry &e : rows(Cheque, f))
            found << e.values.value(Payee);
        QCOMPARE(found, payees);
    }

    void pagesFollowEachOther()
    {
        for (int i = 0; i < 5; ++i)
            QVERIFY(print(Cheque, {{Payee, QString::number(i)}}).ok());
        const BillTemplate t = load(Cheque);
        QStringList seen;
        for (int offset = 0; offset < 6; offset += 2) {
            const Result<QList<billregister::Entry>> page = reg(Cheque).rows(t, {}, 2, offset);
            QVERIFY(page.ok());
            for (const billregister::Entry &e : *page)
                seen << e.values.value(Payee);
        }
        QCOMPARE(seen, (QStringList{"4", "3", "2", "1", "0"}));
    }

    void voidKeepsTheRowMarked()
    {
        QVERIFY(print(Cheque, {{Payee, QStringLiteral("甲")}}).ok());
        QVERIFY(print(Cheque, {{Payee, QStringLiteral("乙")}}).ok());
        const billregister::Entry second = rows(Cheque).first();
        QVERIFY(reg(Cheque).voidRow(second.number, QStringLiteral("填错金额")).ok());
        const QList<billregister::Entry> after = rows(Cheque);
        QCOMPARE(after.size(), 2);
        QCOMPARE(after.first().status, billregister::Voided);
        QCOMPARE(after.first().reason, QStringLiteral("填错金额"));
        QVERIFY(!after.first().voided.isEmpty());
        QCOMPARE(after.last().status, billregister::Printed);
        // Once only; a row that does not exist cannot be voided.
        QVERIFY(!reg(Cheque).voidRow(second.number, QStringLiteral("again")).ok());
        QCOMPARE(rows(Cheque).first().reason, QStringLiteral("填错金额"));
        QVERIFY(!reg(Cheque).voidRow(999, QStringLiteral("none")).ok());
    }

    void csvReadsBack()
    {
        QVERIFY(print(Cheque, {{Payee, QStringLiteral("甲,\"引号\"公司")}, {Amount, QStringLiteral("1234.5")}}).ok());
        QVERIFY(print(Cheque, {{Payee, QStringLiteral("乙\n第二行")}}).ok());
        QVERIFY(reg(Cheque).voidRow(rows(Cheque).first().number, QStringLiteral("作废, 重开")).ok());
        const BillTemplate t = load(Cheque);
        QByteArray bytes = billregister::csv(t, rows(Cheque));
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        CsvReader reader(buffer);
        QList<QStringList> table;
        QStringList row;
        while (reader.next(row))
            table << row;
        QVERIFY2(reader.status().ok(), qPrintable(reader.status().message));
        QCOMPARE(table.size(), 3);
        const int payee = int(table.first().indexOf(QStringLiteral("收款人")));
        const int amount = int(table.first().indexOf(QStringLiteral("小写金额")));
        QVERIFY(payee > 0 && amount > 0);
        QCOMPARE(table.first().first(), QStringLiteral("打印时间"));
        QCOMPARE(table.at(1).at(payee), QStringLiteral("乙\n第二行"));
        QCOMPARE(table.at(1).at(1), QStringLiteral("作废"));
        QCOMPARE(table.at(1).at(2), QStringLiteral("作废, 重开"));
        QCOMPARE(table.at(2).at(payee), QStringLiteral("甲,\"引号\"公司"));
        QCOMPARE(table.at(2).at(amount), QStringLiteral("1234.50"));
    }

    void jsonShape()
    {
        QVERIFY(print(Cheque, {{Payee, QStringLiteral("甲")}}).ok());
        const QJsonObject root = QJsonDocument::fromJson(billregister::json(QStringLiteral("支票/转账支票"), load(Cheque),
                                                                            rows(Cheque)))
                                     .object();
        QCOMPARE(root.value("template").toString(), QStringLiteral("支票/转账支票"));
        const QJsonObject row = root.value("rows").toArray().first().toObject();
        QCOMPARE(row.value("status").toString(), QStringLiteral("printed"));
        QVERIFY(!row.value("written").toString().isEmpty());
        bool found = false;
        for (const QJsonValue &v : row.value("fields").toArray())
            if (v.toObject().value("key").toString() == Payee) {
                QCOMPARE(v.toObject().value("name").toString(), QStringLiteral("收款人"));
                QCOMPARE(v.toObject().value("text").toString(), QStringLiteral("甲"));
                found = true;
            }
        QVERIFY(found);
    }

    void pastValuesMostUsedFirst()
    {
        for (const char *payee : {"乙", "甲", "乙", "丙", "乙", "甲"})
            QVERIFY(print(Cheque, {{Payee, QString::fromUtf8(payee)}}).ok());
        QCOMPARE(*reg(Cheque).pastValues(Payee), (QStringList{"乙", "甲", "丙"}));
        QCOMPARE(reg(Cheque).pastValues(Account)->size(), 0);
    }

    void refillEntersWhatWasTyped()
    {
        const Values typed{{Payee, QStringLiteral("甲公司")}, {Amount, QStringLiteral("1234.56")},
                           {Date, QStringLiteral("20261208")}, {Purpose, QStringLiteral("货款")}};
        QVERIFY(print(Cheque, typed).ok());
        BillDocument doc;
        doc.setTemplate(load(Cheque));
        QVERIFY(entry::enter(doc, Account, QStringLiteral("留着的账号")).ok());
        QVERIFY(billregister::refill(doc, rows(Cheque).first()).isEmpty());
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            QCOMPARE(billregister::valueOf(doc, *doc.field(it.key())), it.key() == Amount ? "1234.56" : it.value());
        // A refill is the old bill: what it did not hold is empty again, and
        // the linked fields follow.
        QCOMPARE(doc.text(Account), QString());
        QVERIFY(doc.text(Words).endsWith(QStringLiteral("壹仟贰佰叁拾肆圆伍角陆分")));
    }

    void batchRecordsOneRowPerBill_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<int>("recorded");
        QTest::newRow("every bill") << -1 << 3;
        QTest::newRow("job given up") << 1 << 0;
    }
    void batchRecordsOneRowPerBill()
    {
        QFETCH(int, failAt);
        QFETCH(int, recorded);
        const BillTemplate t = load(Cheque);
        BillDocument doc;
        doc.setTemplate(t);
        QList<batch::HeaderProblem> problems;
        batch::Filler filler(doc, batch::matchHeader(t, {QStringLiteral("收款人"), QStringLiteral("小写金额")}, problems));
        QList<batch::Row> data;
        for (int i = 0; i < 3; ++i)
            data << batch::Row{i + 2, {QStringLiteral("收款%1").arg(i), QString::number(100 + i)}};
        batch::ListSource source(data);
        ListSink sink;
        sink.failAt = failAt;
        std::unique_ptr<batch::Recorder> recorder = batch::registerRecorder(m_state.DbConnection, Cheque);
        batch::print(filler, source, sink, recorder.get(), {2});
        const QList<billregister::Entry> r = rows(Cheque);
        QCOMPARE(r.size(), recorded);
        if (recorded) {
            QCOMPARE(r.first().values.value(Payee), QStringLiteral("收款2"));
            QCOMPARE(r.first().values.value(Amount), QStringLiteral("102.00"));
            QCOMPARE(r.first().copies, 2);
            QCOMPARE(r.first().printer, QStringLiteral("queue"));
        }
    }

    void columnsFollowRenumberedKeys()
    {
        // Columns named by the keys the fields had; the save numbers them
        // 0, 1, 2...: each column goes where its field went, swapping names
        // where needed, and the column of a deleted field moves aside.
        QSqlDatabase db = QSqlDatabase::database(m_state.DbConnection);
        QSqlQuery q(db);
        QVERIFY(q.exec("CREATE TABLE \"H_t\" (\"WriteDate\" VARCHAR(20), \"00107000\" VARCHAR(200), "
                       "\"00307001\" VARCHAR(200), \"00507002\" VARCHAR(200))"));
        QVERIFY(q.exec("INSERT INTO \"H_t\" VALUES ('2026-12-01T10:00:00', 'gone', 'payee', 'account')"));
        const QMap<QString, QString> renamed{{"00307001", "00107000"}, {"00507002", "00207001"}};
        QVERIFY(billregister::followKeys(m_state.DbConnection, "H_t", renamed,
                                         {"00107000", "00207001", "00307002"}).ok());
        QVERIFY(q.exec("SELECT \"00107000\", \"00207001\", \"00107000_1\", \"00307002\" FROM \"H_t\""));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("payee"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("account"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("gone"));
        QVERIFY(q.value(3).isNull());
    }
};

QTEST_MAIN(TestBillRegister)
#include "tst_billregister.moc"

// Batch printing on the shipped templates: the header matched by name and by
// key, rows filled through the linking rules, every kind of bad row found
// before anything prints, and the job, its copies, cancelling and the
// register's recorder.
#include "core/batch.h"
#include "core/database.h"
#include "core/tablesource.h"
#include "workbooks.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

const TemplateRef Cheque{QStringLiteral("支票"), QStringLiteral("转账支票")};
const TemplateRef Voucher{QStringLiteral("通用票据"), QStringLiteral("通用凭证")};

// Pages the job was given, and how it ended.
struct FakeSink : batch::PageSink {
    QList<PrintItems> bills;
    QList<int> copies;
    bool abortable = true;
    int failAt = -1; // the bill whose pages cannot be written
    int finished = 0;
    int aborted = 0;

    Status addBill(const PrintItems &items, int n) override
    {
        if (int(bills.size()) == failAt)
            return Status::failure(QStringLiteral("disk full"), 3);
        bills << items;
        copies << n;
        return {};
    }
    Status finish() override
    {
        ++finished;
        return {};
    }
    void abort() override { ++aborted; }
    bool canAbort() const override { return abortable; }
    QString printerName() const override { return QStringLiteral("queue"); }
};

struct FakeRecorder : batch::Recorder {
    QList<batch::PrintedBill> recorded;
    QStringList payees;
    int failAt = -1;
    int commits = 0;
    int rollbacks = 0;

    Status record(const BillDocument &doc, const batch::PrintedBill &bill) override
    {
        if (int(recorded.size()) == failAt)
            return Status::failure(QStringLiteral("register locked"));
        recorded << bill;
        payees << doc.text(QStringLiteral("01107002"));
        return {};
    }
    Status commit() override
    {
        ++commits;
        return {};
    }
    void rollback() override { ++rollbacks; }
};

QList<batch::Row> rows(const QList<QStringList> &cells)
{
    QList<batch::Row> out;
    for (int i = 0; i < cells.size(); ++i)
        out << batch::Row{i + 2, cells.at(i)};
    return out;
}

using Rows = QList<QStringList>;

} // namespace

class TestBatch : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppState m_state;

    BillTemplate load(const TemplateRef &ref)
    {
        const Result<BillTemplate> t = batch::loadTemplate(m_state.DbConnection, ref);
        if (!t)
            qWarning("%s", qPrintable(t.message()));
        return t ? *t : BillTemplate();
    }
    batch::Header header(const BillTemplate &t, const QStringList &cells)
    {
        QList<batch::HeaderProblem> problems;
        const batch::Header h = batch::matchHeader(t, cells, problems);
        for (const batch::HeaderProblem &p : problems)
            qWarning("%s", qPrintable(p.line()));
        return h;
    }

private slots:
    void initTestCase();
    void headerByNameAndKey_data();
    void headerByNameAndKey();
    void headerProblems_data();
    void headerProblems();
    void rowFillsThroughTheRules();
    void columnOrderDoesNotMatter();
    void badRows_data();
    void badRows();
    void everyBadRowListedNothingPrinted();
    void amountInWordsMustAgree_data();
    void amountInWordsMustAgree();
    void printsEveryBillWithItsCopies();
    void cancelStopsAfterTheCurrentBill();
    void registerFailureStopsBeforeTheBill();
    void pageFailureGivesUpTheJob_data();
    void pageFailureGivesUpTheJob();
    void csvSourceReadsTheFileOnce();
    void workbookFillsAsItsCsvDoes();
    void workbookCellsThatCannotStand();
    void fileKindByContent();
    void helpers();
};

void TestBatch::initTestCase()
{
    const QString path = m_dir.filePath(QStringLiteral("DB/BillDB.db"));
    QVERIFY(database::ensureExists(path).ok());
    QCOMPARE(OpenDatabase(m_state, path), 0);
}

void TestBatch::headerByNameAndKey_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("keys"); // in slot order
    QTest::newRow("names") << QStringList{"收款人", "小写金额", "出票日期", "用途"}
                           << QStringList{"00606000", "01107002", "01508000", "01907006"};
    QTest::newRow("keys") << QStringList{"01508000", "01107002"} << QStringList{"01107002", "01508000"};
    QTest::newRow("names and keys, blanks around") << QStringList{" 收款人 ", "01508000"}
                                                   << QStringList{"01107002", "01508000"};
    // "出票日期" is a label's caption too: only fields that take input count.
    QTest::newRow("label of the same name ignored") << QStringList{"出票日期"} << QStringList{"00606000"};
    QTest::newRow("empty header cell fills nothing") << QStringList{"收款人", "", "小写金额", ""}
                                                     << QStringList{"01107002", "01508000"};
}

void TestBatch::headerByNameAndKey()
{
    QFETCH(QStringList, cells);
    QFETCH(QStringList, keys);
    QList<batch::HeaderProblem> problems;
    const batch::Header h = batch::matchHeader(load(Cheque), cells, problems);
    QVERIFY(problems.isEmpty());
    QStringList got;
    for (const batch::Column &c : h.columns) {
        got << c.key;
        QCOMPARE(c.header, cells.at(c.index).trimmed());
    }
    QCOMPARE(got, keys);
    QCOMPARE(h.width, int(cells.size()));
}

void TestBatch::headerProblems_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("unknown name") << QStringList{"收款人", "付款人"}
                                  << QStringList{"column 2 \"付款人\": 模板里没有这个名字的栏目"};
    QTest::newRow("unknown key") << QStringList{"09907001"} << QStringList{"column 1 \"09907001\": 模板里没有键为 09907001 的栏目"};
    QTest::newRow("label by name") << QStringList{"收款人："} << QStringList{"column 1 \"收款人：\": 这是标签，不能填写"};
    QTest::newRow("label by key") << QStringList{"01004005"} << QStringList{"column 1 \"01004005\": 栏目 01004005 是标签，不能填写"};
    QTest::newRow("same field twice")
        << QStringList{"收款人", "01107002", "用途", "用途"}
        << QStringList{"column 2 \"01107002\": 与第 1 列“收款人”填的是同一个栏目（01107002）",
                       "column 4 \"用途\": 与第 3 列“用途”填的是同一个栏目（01907006）"};
}

void TestBatch::headerProblems()
{
    QFETCH(QStringList, cells);
    QFETCH(QStringList, lines);
    QList<batch::HeaderProblem> problems;
    batch::matchHeader(load(Cheque), cells, problems);
    QStringList got;
    for (const batch::HeaderProblem &p : problems)
        got << p.line();
    QCOMPARE(got, lines);
}

void TestBatch::rowFillsThroughTheRules()
{
    BillDocument doc;
    doc.setTemplate(load(Cheque));
    batch::Filler filler(doc, header(doc.billTemplate(), {"出票日期", "收款人", "小写金额", "用途"}));
    for (const QString &date : {QStringLiteral("20240105"), QStringLiteral("2024-01-05"), QStringLiteral("2024/1/5")}) {
        const QList<batch::Problem> problems =
            filler.fill({2, {date, " 上海浦江贸易有限公司 ", "1,234.56", "货款"}});
        QVERIFY2(problems.isEmpty(), qPrintable(problems.value(0).line()));
        QCOMPARE(doc.text("00706001"), QStringLiteral("2024年01月05日"));
        QCOMPARE(doc.text("02307008"), QStringLiteral("上海浦江贸易有限公司"));
        QCOMPARE(doc.moneyNumber("01508000"), QStringLiteral("00000123456"));
        QCOMPARE(doc.text("01607004"), QStringLiteral("壹仟贰佰叁拾肆圆伍角陆分"));
        QCOMPARE(doc.text("02507009"), QStringLiteral("￥1234.56"));
        QCOMPARE(doc.text("02707010"), QStringLiteral("货款"));
    }
    // The next row starts from an empty bill: a purpose left empty is empty.
    QVERIFY(filler.fill({3, {"20240106", "北京", "5", ""}}).isEmpty());
    QCOMPARE(doc.text("01907006"), QString());
    QCOMPARE(doc.text("02707010"), QString());
    QCOMPARE(doc.text("01607004"), QStringLiteral("伍圆整"));
}

// A stub field given its own value is filled after its source, whatever the
// column order: the bill comes out the same.
void TestBatch::columnOrderDoesNotMatter()
{
    BillDocument a, b;
    a.setTemplate(load(Cheque));
    b.setTemplate(a.billTemplate());
    batch::Filler fa(a, header(a.billTemplate(), {"收款人", "存根收款人"}));
    batch::Filler fb(b, header(b.billTemplate(), {"存根收款人", "收款人"}));
    QVERIFY(fa.fill({2, {"上海浦江", "浦江"}}).isEmpty());
    QVERIFY(fb.fill({2, {"浦江", "上海浦江"}}).isEmpty());
    QCOMPARE(a.text("02307008"), QStringLiteral("浦江"));
    QCOMPARE(b.text("02307008"), QStringLiteral("浦江"));
}

void TestBatch::badRows_data()
{
    QTest::addColumn<QStringList>("cells"); // 收款人, 小写金额, 出票日期
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("good") << QStringList{"上海浦江贸易有限公司", "1.00", "20261207"} << QStringList{};
    QTest::newRow("not an amount") << QStringList{"甲", "12a", ""}
                                   << QStringList{"row 7, field 小写金额: “12a”不是金额（写成 1234.56 或 1,234.56）"};
    QTest::newRow("three decimals") << QStringList{"甲", "1.234", ""}
                                    << QStringList{"row 7, field 小写金额: “1.234”不是金额（写成 1234.56 或 1,234.56）"};
    QTest::newRow("amount too long") << QStringList{"甲", "1234567890", ""}
                                     << QStringList{"row 7, field 小写金额: 金额 1234567890 超出这一栏的 11 位"};
    QTest::newRow("no such date") << QStringList{"甲", "1", "20260231"}
                                  << QStringList{"row 7, field 出票日期: 日期 20260231 不存在"};
    QTest::newRow("no such date, dashed") << QStringList{"甲", "1", "2026-02-30"}
                                          << QStringList{"row 7, field 出票日期: 日期 20260230 不存在"};
    QTest::newRow("date too short") << QStringList{"甲", "1", "202612"}
                                    << QStringList{"row 7, field 出票日期: 日期“202612”应为 8 位数字（年月日，如 20261207）"};
    QTest::newRow("not a date") << QStringList{"甲", "1", "12月7日"}
                                << QStringList{"row 7, field 出票日期: “12月7日”不是日期（写成 20261207 或 2026-12-07）"};
    QTest::newRow("more characters than the field takes")
        << QStringList{QString(25, QChar(u'银')), "1", ""}
        << QStringList{"row 7, field 收款人: 有 25 个字，这一栏最多 24 个字"};
    QTest::newRow("text runs past its box") << QStringList{QString(24, QChar(u'银')), "1", ""}
                                            << QStringList{"row 7, field 收款人: 文字有 2 行，超出了这一栏（只能容纳 1 行）"};
    // The payee fits the cheque but its copy runs past the narrower stub.
    QTest::newRow("copy runs past its box")
        << QStringList{QString(20, QChar(u'银')), "1", ""}
        << QStringList{"row 7, field 存根收款人 (02307008): 文字有 2 行，超出了这一栏（只能容纳 1 行）"};
    QTest::newRow("several in one row") << QStringList{"甲", "x", "20261332"}
                                        << QStringList{"row 7, field 小写金额: “x”不是金额（写成 1234.56 或 1,234.56）",
                                                       "row 7, field 出票日期: 日期 20261332 不存在"};
    QTest::newRow("row cut short") << QStringList{"甲", "1"}
                                   << QStringList{"row 7: 这一行只有 2 列，表头有 3 列（字段里的换行没有加引号？）"};
    QTest::newRow("cell beyond the header")
        << QStringList{"甲", "1", "", "多余"}
        << QStringList{"row 7, field 第 4 列: 表头只有 3 列，这里的“多余”不知道该填到哪个栏目"};
    QTest::newRow("empty cells beyond the header are fine") << QStringList{"甲", "1", "", "", " "} << QStringList{};
    QTest::newRow("nothing to print") << QStringList{"", "0", ""}
                                      << QStringList{"row 7: 这一行没有要打印的内容"};
}

void TestBatch::badRows()
{
    QFETCH(QStringList, cells);
    QFETCH(QStringList, lines);
    BillDocument doc;
    doc.setTemplate(load(Cheque));
    batch::Filler filler(doc, header(doc.billTemplate(), {"收款人", "小写金额", "出票日期"}));
    QStringList got;
    for (const batch::Problem &p : filler.fill({7, cells}))
        got << p.line();
    QCOMPARE(got.join(u'\n'), lines.join(u'\n'));
}

void TestBatch::amountInWordsMustAgree_data()
{
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("line");
    const QStringList figuresFirst{"小写金额", "大写金额"};
    QTest::newRow("the same words") << figuresFirst << QStringList{"1234.56", "壹仟贰佰叁拾肆圆伍角陆分"} << "";
    QTest::newRow("other words") << figuresFirst << QStringList{"1234.56", "壹圆整"}
                                 << "row 7, field 大写金额: “壹圆整”与金额不符";
    QTest::newRow("words on the second line")
        << QStringList{"小写金额", "大写金额续"} << QStringList{"1234.56", "整"} << "row 7, field 大写金额续: “整”与金额不符";
    QTest::newRow("words left empty") << figuresFirst << QStringList{"1234.56", ""} << "";
    // Cells are entered in the bill's order whatever the file's: the words
    // still come after the figures.
    QTest::newRow("words column first") << QStringList{"大写金额", "小写金额"} << QStringList{"壹圆整", "1234.56"}
                                        << "row 7, field 大写金额: “壹圆整”与金额不符";
}

// A column over the amount in words that says another amount than the
// figures stops the row: such a cheque is void.
void TestBatch::amountInWordsMustAgree()
{
    QFETCH(QStringList, header);
    QFETCH(QStringList, cells);
    QFETCH(QString, line);
    BillDocument doc;
    doc.setTemplate(load(Cheque));
    batch::Filler filler(doc, this->header(doc.billTemplate(), header));
    QStringList got;
    for (const batch::Problem &p : filler.fill({7, cells}))
        got << p.line();
    QCOMPARE(got.join(u'\n'), line);
}

// Check values, on the voucher's 加急 box, and bad rows spread over a file:
// every one is listed and the job never starts.
void TestBatch::everyBadRowListedNothingPrinted()
{
    BillDocument doc;
    doc.setTemplate(load(Voucher));
    batch::Filler filler(doc, header(doc.billTemplate(), {"收款人", "小写金额", "加急"}));
    batch::ListSource source(rows({{"甲", "10", "√"},
                                   {"乙", "20", "也许"},
                                   {"丙", "30", "是"},
                                   {"", "", ""},
                                   {"丁", "4O", "0"},
                                   {"戊", "50", "yes"}}));
    FakeSink sink;
    FakeRecorder recorder;
    const batch::Outcome out = batch::print(filler, source, sink, &recorder, {});
    QStringList got;
    for (const batch::Problem &p : out.problems)
        got << p.line();
    QCOMPARE(got, (QStringList{"row 3, field 加急: “也许”不是勾选值（打勾写 √、1 或 是，不打勾写 0、否 或留空）",
                               "row 6, field 小写金额: “4O”不是金额（写成 1234.56 或 1,234.56）"}));
    QCOMPARE(out.bills, 5); // the blank row is no bill
    QVERIFY(out.printed.isEmpty());
    QVERIFY(sink.bills.isEmpty());
    QCOMPARE(sink.finished + sink.aborted, 0);
    QVERIFY(recorder.recorded.isEmpty());
    QCOMPARE(recorder.commits, 0);
}

void TestBatch::printsEveryBillWithItsCopies()
{
    BillDocument doc;
    doc.setTemplate(load(Cheque));
    batch::Filler filler(doc, header(doc.billTemplate(), {"收款人", "小写金额"}));
    batch::ListSource source(rows({{"甲公司", "1"}, {"", ""}, {"乙公司", "2.5"}, {"丙公司", "1,000"}}));
    FakeSink sink;
    FakeRecorder recorder;
    QList<int> progress;
    const batch::Outcome out = batch::print(filler, source, sink, &recorder, {3}, [&](int done, int total) {
        progress << done << total;
        return true;
    });
    QVERIFY2(out.ok(), qPrintable(out.status.message));
    QCOMPARE(out.printed, (QList<int>{2, 4, 5}));
    QCOMPARE(sink.copies, (QList<int>{3, 3, 3}));
    QCOMPARE(sink.finished, 1);
    QCOMPARE(sink.aborted, 0);
    // Each bill's own items: the payee and the amount in words.
    auto hasText = [](const PrintItems &items, const QString &text) {
        return std::any_of(items.cbegin(), items.cend(), [&](const PrintItem &i) { return i.text == text; });
    };
    QVERIFY(hasText(sink.bills.at(0), "甲公司"));
    QVERIFY(hasText(sink.bills.at(1), "贰圆伍角整"));
    QVERIFY(hasText(sink.bills.at(2), "壹仟圆整"));
    // The register: one row per bill, once, with its copies and printer.
    QCOMPARE(recorder.payees, (QStringList{"甲公司", "乙公司", "丙公司"}));
    QCOMPARE(recorder.recorded.at(1).row, 4);
    QCOMPARE(recorder.recorded.at(1).copies, 3);
    QCOMPARE(recorder.recorded.at(1).printer, QStringLiteral("queue"));
    QCOMPARE(recorder.commits, 1);
    QCOMPARE(recorder.rollbacks, 0);
    QCOMPARE(progress, (QList<int>{1, 3, 2, 3, 3, 3}));
}

void TestBatch::cancelStopsAfterTheCurrentBill()
{
    BillDocument doc;
    doc.setTemplate(load(Cheque));
    batch::Filler filler(doc, header(doc.billTemplate(), {"收款人", "小写金额"}));
    batch::ListSource source(rows({{"甲", "1"}, {"乙", "2"}, {"丙", "3"}, {"丁", "4"}}));
    FakeSink sink;
    FakeRecorder recorder;
    const batch::Outcome out =
        batch::print(filler, source, sink, &recorder, {}, [](int done, int) { return done < 2; });
    QVERIFY(out.ok());
    QVERIFY(out.cancelled);
    QCOMPARE(out.printed, (QList<int>{2, 3}));
    QCOMPARE(batch::rowRanges(out.printed), QStringLiteral("2–3"));
    QCOMPARE(sink.bills.size(), 2);
    QCOMPARE(sink.finished, 1); // the job goes out with the bills printed so far
    QCOMPARE(recorder.payees, (QStringList{"甲", "乙"}));
    QCOMPARE(recorder.commits, 1);
}

void TestBatch::registerFailureStopsBeforeTheBill()
{
    BillDocument doc;
    doc.setTemplate(load(Cheque));
    batch::Filler filler(doc, header(doc.billTemplate(), {"收款人", "小写金额"}));
    batch::ListSource source(rows({{"甲", "1"}, {"乙", "2"}, {"丙", "3"}}));
    FakeSink sink;
    FakeRecorder recorder;
    recorder.failAt = 2;
    const batch::Outcome out = batch::print(filler, source, sink, &recorder, {});
    QVERIFY(!out.status.ok());
    QVERIFY2(out.status.message.contains(QStringLiteral("第 4 行无法记入登记簿")), qPrintable(out.status.message));
    QCOMPARE(out.printed, (QList<int>{2, 3}));
    QCOMPARE(sink.bills.size(), 2);
    QCOMPARE(sink.finished, 1);
    QCOMPARE(recorder.commits, 1);
}

void TestBatch::pageFailureGivesUpTheJob_data()
{
    QTest::addColumn<bool>("abortable");
    QTest::newRow("PDF file") << true;
    QTest::newRow("print queue") << false;
}

void TestBatch::pageFailureGivesUpTheJob()
{
    QFETCH(bool, abortable);
    BillDocument doc;
    doc.setTemplate(load(Cheque));
    batch::Filler filler(doc, header(doc.billTemplate(), {"收款人", "小写金额"}));
    batch::ListSource source(rows({{"甲", "1"}, {"乙", "2"}, {"丙", "3"}}));
    FakeSink sink;
    sink.abortable = abortable;
    sink.failAt = 1;
    FakeRecorder recorder;
    const batch::Outcome out = batch::print(filler, source, sink, &recorder, {});
    QVERIFY(!out.status.ok());
    QVERIFY(out.printed.isEmpty());
    QCOMPARE(sink.aborted, 1);
    QCOMPARE(recorder.rollbacks, 1);
    QCOMPARE(recorder.commits, 0);
    // A queue cannot take pages back: the message says what may have gone.
    QCOMPARE(out.status.message.contains(QStringLiteral("可能已送到打印机")), !abortable);
}

void TestBatch::csvSourceReadsTheFileOnce()
{
    const QString path = m_dir.filePath(QStringLiteral("pay.csv"));
    auto write = [&](const QByteArray &bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    write("\n\n收款人,小写金额\n甲,1\n\n乙,2\n");
    batch::CsvSource source;
    QVERIFY(source.open(path).ok());
    QCOMPARE(source.headerCells(), (QStringList{"收款人", "小写金额"}));
    QCOMPARE(source.headerRow(), 3);
    write("收款人,小写金额\n丙,x\n"); // changed after it was read
    QStringList payees;
    QList<int> numbers;
    for (int pass = 0; pass < 2; ++pass) {
        QVERIFY(source.rewind().ok());
        batch::Row row;
        while (source.next(row))
            if (!row.isBlank()) {
                payees << row.cells.value(0);
                numbers << row.number;
            }
    }
    QCOMPARE(payees, (QStringList{"甲", "乙", "甲", "乙"}));
    QCOMPARE(numbers, (QList<int>{4, 6, 4, 6}));
    write("");
    QCOMPARE(source.open(path).error, 2);
}

// The same bills kept in a workbook (amounts and dates as numbers with
// their formats) and saved as CSV: the same rows, numbers and bills.
void TestBatch::workbookFillsAsItsCsvDoes()
{
    using workbooks::xlsx;
    const QString xlsxPath = m_dir.filePath(QStringLiteral("pay.xlsx"));
    lxw_workbook *book = xlsx().workbook_new(xlsxPath.toUtf8().constData());
    lxw_worksheet *sheet = xlsx().workbook_add_worksheet(book, "付款");
    lxw_format *money = xlsx().workbook_add_format(book);
    xlsx().format_set_num_format(money, "#,##0.00");
    lxw_format *date = xlsx().workbook_add_format(book);
    xlsx().format_set_num_format(date, "yyyy\"年\"m\"月\"d\"日\"");
    xlsx().worksheet_write_string(sheet, 1, 0, "收款人", nullptr); // row 1 left blank
    xlsx().worksheet_write_string(sheet, 1, 1, "小写金额", nullptr);
    xlsx().worksheet_write_string(sheet, 1, 2, "出票日期", nullptr);
    xlsx().worksheet_write_string(sheet, 2, 0, "甲公司", nullptr);
    xlsx().worksheet_write_number(sheet, 2, 1, 1234.1, money);
    lxw_datetime day{2026, 12, 7, 0, 0, 0};
    xlsx().worksheet_write_datetime(sheet, 2, 2, &day, date);
    xlsx().worksheet_write_string(sheet, 4, 0, "乙公司", nullptr);
    xlsx().worksheet_write_formula_num(sheet, 4, 1, "=0.1+0.2", money, 0.1 + 0.2);
    QCOMPARE(xlsx().workbook_close(book), LXW_NO_ERROR);
    const QString csv = m_dir.filePath(QStringLiteral("pay.csv"));
    QVERIFY(workbooks::writeFile(csv, "\n收款人,小写金额,出票日期\n甲公司,\"1,234.10\",2026-12-07\n\n乙公司,0.30,\n"));

    QStringList filled[2];
    for (int i = 0; i < 2; ++i) {
        const Result<std::shared_ptr<batch::TableSource>> source = batch::openTable(i ? csv : xlsxPath);
        QVERIFY2(source, qPrintable(source.message()));
        QCOMPARE((*source)->headerRow(), 2);
        BillDocument doc;
        doc.setTemplate(load(Cheque));
        batch::Filler filler(doc, header(doc.billTemplate(), (*source)->headerCells()));
        batch::Row row;
        while ((*source)->next(row)) {
            if (row.isBlank())
                continue;
            const QList<batch::Problem> problems = filler.fill(row);
            QVERIFY2(problems.isEmpty(), qPrintable(problems.value(0).line()));
            filled[i] << QStringLiteral("%1 %2 %3 %4").arg(row.number).arg(doc.text("01107002"),
                                                                           doc.moneyNumber("01508000"), doc.text("00706001"));
        }
    }
    QCOMPARE(filled[0], (QStringList{"3 甲公司 00000123410 2026年12月07日", "5 乙公司 00000000030 "}));
    QCOMPARE(filled[1], filled[0]);
}

// A formula's error or an account that lost its digits keeps its bill from
// printing, named as any bad cell is; mended, it prints.
void TestBatch::workbookCellsThatCannotStand()
{
    const QString path = m_dir.filePath(QStringLiteral("errors.xlsx"));
    QVERIFY(workbooks::writeFile(
        path, workbooks::workbook("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
                                  "<c r=\"C1\" t=\"s\"><v>2</v></c></row>"
                                  "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>3</v></c><c r=\"B2\" t=\"e\"><v>#N/A</v></c>"
                                  "<c r=\"C2\"><v>6.2220210010012301E+18</v></c></row>",
                                  {"收款人", "小写金额", "出票人账号", "甲公司"})));
    const Result<std::shared_ptr<batch::TableSource>> source = batch::openTable(path);
    QVERIFY2(source, qPrintable(source.message()));
    BillDocument doc;
    doc.setTemplate(load(Cheque));
    batch::Filler filler(doc, header(doc.billTemplate(), (*source)->headerCells()));
    batch::Row row;
    QVERIFY((*source)->next(row));
    QStringList got;
    for (const batch::Problem &p : filler.fill(row))
        got << p.line();
    QCOMPARE(got.size(), 2);
    QCOMPARE(got.at(0), QStringLiteral("row 2, field 小写金额: 单元格是公式的错误值 #N/A"));
    QVERIFY2(got.at(1).startsWith(QStringLiteral("row 2, field 出票人账号: 数字 6222021001001230000 超过 15 位")),
             qPrintable(got.at(1)));
    row.cells[1] = QStringLiteral("5");
    row.refused.remove(1);
    row.cells[2] = QStringLiteral("6222021001");
    row.refused.remove(2);
    QVERIFY(filler.fill(row).isEmpty());
}

void TestBatch::fileKindByContent()
{
    // A workbook whatever its name says; a CSV file has no sheets.
    const QString disguised = m_dir.filePath(QStringLiteral("list.csv"));
    QVERIFY(workbooks::writeFile(disguised, workbooks::readFile(workbooks::fixture(QStringLiteral("cheques-lo.xlsx")))));
    const Result<std::shared_ptr<batch::TableSource>> book = batch::openTable(disguised, QStringLiteral("第二批"));
    QVERIFY2(book, qPrintable(book.message()));
    QCOMPARE((*book)->description(), QStringLiteral("工作表“第二批”"));
    const QString csv = m_dir.filePath(QStringLiteral("plain.csv"));
    QVERIFY(workbooks::writeFile(csv, "收款人\n甲\n"));
    QCOMPARE(batch::openTable(csv, QStringLiteral("付款")).status().error, 2);
    QCOMPARE(batch::openTable(csv).value()->description(), QStringLiteral("UTF-8 编码"));
    QCOMPARE(batch::openTable(m_dir.filePath(QStringLiteral("none.xlsx"))).status().error, 3);
    // The CSV reader alone still says a workbook is no CSV file.
    batch::CsvSource strict;
    const Status s = strict.open(disguised);
    QCOMPARE(s.error, 3);
    QVERIFY(s.message.contains(QStringLiteral("另存为")));
}

void TestBatch::helpers()
{
    QCOMPARE(batch::rowRanges({2, 3, 4, 7, 9, 10}), QStringLiteral("2–4、7、9–10"));
    QCOMPARE(batch::rowRanges({}), QString());
    QCOMPARE(batch::dateDigits("2026-12-07"), QStringLiteral("20261207"));
    QCOMPARE(batch::dateDigits(" 2026/1/7 "), QStringLiteral("20260107"));
    QCOMPARE(batch::dateDigits("2026.12.7"), QStringLiteral("20261207"));
    QCOMPARE(batch::dateDigits("2026-12/07"), QStringLiteral("2026-12/07")); // mixed separators: as written
    QCOMPARE(batch::dateDigits("20261207"), QStringLiteral("20261207"));
}

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"

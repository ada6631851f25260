// The workbook readers on real files: .xlsx written by libxlsxwriter (shared
// and inline strings, numbers with their formats, formulas' cached values,
// dates, booleans, sparse cells), packages put together part by part for
// what no writer makes, the .xls files LibreOffice saved, and every kind of
// bad or hostile file refused with a message.
#include "core/compoundfile.h"
#include "core/tablesource.h"
#include "core/xlsreader.h"
#include "core/xlsxreader.h"
#include "workbooks.h"

#include <QtTest>

using workbooks::fixture;
using workbooks::xlsx;

namespace {

struct Read {
    Status status;
    QList<spreadsheet::Row> rows;
    QString sheet;
    QStringList sheets;
};

Read readXlsx(const QByteArray &bytes, const QString &sheet = {}, const spreadsheet::Limits &limits = {})
{
    Read out;
    XlsxReader reader(limits);
    out.status = reader.open(&bytes, sheet);
    if (!out.status)
        return out;
    spreadsheet::Row row;
    while (reader.next(row))
        out.rows << row;
    out.status = reader.status();
    out.sheet = reader.sheetName();
    out.sheets = reader.sheetNames();
    return out;
}

Read readXls(const QString &path, const QString &sheet = {}, const spreadsheet::Limits &limits = {})
{
    Read out;
    XlsReader reader(limits);
    out.status = reader.open(path, workbooks::readFile(path), sheet);
    spreadsheet::Row row;
    while (out.status && reader.next(row))
        out.rows << row;
    out.sheet = reader.sheetName();
    return out;
}

// "number: cell|cell|…" for each row, refused cells marked with "!".
QStringList describe(const QList<spreadsheet::Row> &rows)
{
    QStringList out;
    for (const spreadsheet::Row &r : rows) {
        QStringList cells;
        for (int i = 0; i < r.cells.size(); ++i)
            cells << (r.refused.contains(i) ? QStringLiteral("!") : QString()) + r.cells.at(i);
        out << QStringLiteral("%1: %2").arg(r.number).arg(cells.join(u'|'));
    }
    return out;
}

} // namespace

class TestSpreadsheet : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // A workbook as a spreadsheet program writes it.
    QByteArray written(bool constantMemory)
    {
        const QString path = m_dir.filePath(QStringLiteral("written.xlsx"));
        lxw_workbook_options options{};
        options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
        lxw_workbook *book = xlsx().workbook_new_opt(path.toUtf8().constData(), &options);
        lxw_worksheet *sheet = xlsx().workbook_add_worksheet(book, "付款");
        lxw_format *money = xlsx().workbook_add_format(book);
        xlsx().format_set_num_format(money, "#,##0.00");
        lxw_format *date = xlsx().workbook_add_format(book);
        xlsx().format_set_num_format(date, "yyyy-mm-dd");
        lxw_format *text = xlsx().workbook_add_format(book);
        xlsx().format_set_num_format(text, "@");
        const char *header[] = {"收款人", "小写金额", "出票日期", "出票人账号", "加急"};
        for (int c = 0; c < 5; ++c)
            xlsx().worksheet_write_string(sheet, 0, lxw_col_t(c), header[c], nullptr);
        xlsx().worksheet_write_string(sheet, 1, 0, "上海浦江贸易有限公司", nullptr);
        xlsx().worksheet_write_number(sheet, 1, 1, 1234.1, money);
        lxw_datetime day{2026, 12, 7, 0, 0, 0};
        xlsx().worksheet_write_datetime(sheet, 1, 2, &day, date);
        xlsx().worksheet_write_string(sheet, 1, 3, "6222021001001234567", text);
        xlsx().worksheet_write_boolean(sheet, 1, 4, 1, nullptr);
        xlsx().worksheet_write_string(sheet, 2, 0, "北京朝阳", nullptr);
        xlsx().worksheet_write_formula_num(sheet, 2, 1, "=0.1+0.2", nullptr, 0.1 + 0.2);
        xlsx().worksheet_write_number(sheet, 2, 3, 62258888, nullptr);
        // A gap of rows, then a cell far to the right.
        xlsx().worksheet_write_string(sheet, 7, 0, "深圳南山", nullptr);
        xlsx().worksheet_write_number(sheet, 7, 1, 88, nullptr);
        xlsx().worksheet_write_string(sheet, 7, 9, "备注", nullptr);
        if (xlsx().workbook_close(book) != LXW_NO_ERROR)
            return {};
        return workbooks::readFile(path);
    }

private slots:
    void writtenWorkbook_data()
    {
        QTest::addColumn<bool>("constantMemory");
        QTest::newRow("shared strings") << false;
        QTest::newRow("inline strings (constant memory)") << true;
    }
    void writtenWorkbook()
    {
        QFETCH(bool, constantMemory);
        const Read r = readXlsx(written(constantMemory));
        QVERIFY2(r.status.ok(), qPrintable(r.status.message));
        QCOMPARE(r.sheet, QStringLiteral("付款"));
        QCOMPARE(describe(r.rows),
                 (QStringList{"1: 收款人|小写金额|出票日期|出票人账号|加急",
                              "2: 上海浦江贸易有限公司|1234.10|2026-12-07|6222021001001234567|TRUE",
                              "3: 北京朝阳|0.3||62258888", "8: 深圳南山|88||||||||备注"}));
    }

    void handMadeCells_data()
    {
        QTest::addColumn<QByteArray>("sheetData");
        QTest::addColumn<bool>("date1904");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("formula cached with binary noise")
            << QByteArray("<row r=\"2\"><c r=\"A2\"><f>0.1+0.2</f><v>0.30000000000000004</v></c>"
                          "<c r=\"B2\" s=\"1\"><f>0.1+0.2</f><v>0.30000000000000004</v></c></row>")
            << false << QStringList{"2: 0.3|0.30"};
        QTest::newRow("error cell refused") << QByteArray("<row r=\"3\"><c r=\"A3\" t=\"e\"><f>VLOOKUP(1,X,2)</f><v>#N/A</v></c></row>")
                                            << false << QStringList{"3: !#N/A"};
        QTest::newRow("account typed as a number") << QByteArray("<row r=\"4\"><c r=\"C4\"><v>6.2220210010012301E+18</v></c></row>")
                                                   << false << QStringList{"4: ||!6222021001001230000"};
        QTest::newRow("formula text, inline rich text, escapes")
            << QByteArray("<row r=\"2\"><c r=\"A2\" t=\"str\"><f>A1&amp;\"x\"</f><v>甲x</v></c>"
                          "<c r=\"B2\" t=\"inlineStr\"><is><r><t>上海</t></r><r><t xml:space=\"preserve\"> 浦江</t></r></is></c>"
                          "<c r=\"C2\" t=\"inlineStr\"><is><t>一_x000A_二</t></is></c></row>")
            << false << QStringList{"2: 甲x|上海 浦江|一\n二"};
        QTest::newRow("phonetic runs left out")
            << QByteArray("<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>東京</t><rPh sb=\"0\" eb=\"2\"><t>トウキョウ</t></rPh></is></c></row>")
            << false << QStringList{"2: 東京"};
        QTest::newRow("rows and cells without references")
            << QByteArray("<row><c t=\"s\"><v>0</v></c><c><v>5</v></c></row><row><c/><c t=\"b\"><v>0</v></c></row>")
            << false << QStringList{"1: 收款人|5", "2: |FALSE"};
        QTest::newRow("dates in both systems")
            << QByteArray("<row r=\"2\"><c r=\"A2\" s=\"2\"><v>46363</v></c><c r=\"B2\" s=\"2\"><v>60</v></c>"
                          "<c r=\"C2\" t=\"d\"><v>2026-12-07T00:00:00</v></c></row>")
            << false << QStringList{"2: 2026-12-07|!1900-02-29|2026-12-07"};
        QTest::newRow("1904 system") << QByteArray("<row r=\"2\"><c r=\"A2\" s=\"2\"><v>44901</v></c></row>") << true
                                     << QStringList{"2: 2026-12-07"};
        QTest::newRow("styled empty cells and blank rows")
            << QByteArray("<row r=\"1\"><c r=\"A1\" s=\"1\"/><c r=\"XFD1\" s=\"1\"/></row><row r=\"5\"/>"
                          "<row r=\"6\"><c r=\"B6\" t=\"s\"><v>0</v></c></row>")
            << false << QStringList{"6: |收款人"};
    }
    void handMadeCells()
    {
        QFETCH(QByteArray, sheetData);
        QFETCH(bool, date1904);
        QFETCH(QStringList, rows);
        const Read r = readXlsx(workbooks::workbook(sheetData, {QStringLiteral("收款人")}, date1904));
        QVERIFY2(r.status.ok(), qPrintable(r.status.message));
        QCOMPARE(describe(r.rows), rows);
    }

    void sheetChoice()
    {
        const QByteArray one = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>一</t></is></c></row>";
        const QByteArray two = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>二</t></is></c></row>";
        // The first sheet shown is read when none is named: a hidden one is passed over.
        const QByteArray hiddenFirst = workbooks::package(
            workbooks::workbookParts({{"查找表", one}, {"付款", two}}, {}, false, "state=\"hidden\""));
        Read r = readXlsx(hiddenFirst);
        QCOMPARE(r.sheet, QStringLiteral("付款"));
        QCOMPARE(r.sheets, (QStringList{"查找表", "付款"}));
        r = readXlsx(hiddenFirst, QStringLiteral("查找表"));
        QCOMPARE(describe(r.rows), QStringList{"1: 一"});
        r = readXlsx(hiddenFirst, QStringLiteral("没有"));
        QCOMPARE(r.status.error, 2);
        QCOMPARE(r.status.message, QStringLiteral("工作簿里没有名为“没有”的工作表（有：查找表、付款）"));
        r = readXls(fixture(QStringLiteral("cheques.xls")), QStringLiteral("没有"));
        QCOMPARE(r.status.error, 2);
        QVERIFY(r.status.message.contains(QStringLiteral("付款、第二批")));
    }

    // The workbooks LibreOffice Calc saved: Excel 97-2003 in both date
    // systems, and its .xlsx.
    void spreadsheetProgramsFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QStringList>("rows");
        const QStringList cheques{"1: 收款人|小写金额|出票日期|用途|出票人账号",
                                  "2: 上海浦江贸易有限公司|1234.1|2026-12-07|货款|6222021001001234567",
                                  "3: 北京朝阳商贸有限公司|0.3|2026-12-08|服务费|6217000011112222333",
                                  "5: 深圳南山科技有限公司|88|2026/12/9||62258888"};
        QTest::newRow("xls") << "cheques.xls" << "" << cheques;
        QTest::newRow("xls, 1904 dates") << "cheques-1904.xls" << "" << cheques;
        QTest::newRow("xls, second sheet") << "cheques.xls" << "第二批"
                                           << QStringList{"1: 收款人|小写金额", "2: 广州天河物流有限公司|2715.9"};
        const QStringList error{"1: 收款人|小写金额", "2: 杭州西湖茶业有限公司|!#DIV/0!"};
        QTest::newRow("xls, a formula's error") << "cheques.xls" << "有错" << error;
        QTest::newRow("xlsx, a formula's error") << "cheques-lo.xlsx" << "有错" << error;
        QStringList lo = cheques;
        lo[1].replace(QStringLiteral("1234.1"), QStringLiteral("1234.10"));
        QTest::newRow("xlsx") << "cheques-lo.xlsx" << "" << lo;
    }
    void spreadsheetProgramsFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, sheet);
        QFETCH(QStringList, rows);
        const Read r = file.endsWith(QLatin1String(".xls")) ? readXls(fixture(file), sheet)
                                                            : readXlsx(workbooks::readFile(fixture(file)), sheet);
        QVERIFY2(r.status.ok(), qPrintable(r.status.message));
        QCOMPARE(describe(r.rows), rows);
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message");
        const QByteArray good = workbooks::workbook("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");
        QTest::newRow("cut short") << good.left(good.size() / 2) << 3 << "已损坏或不完整";
        QTest::newRow("a zip that is no workbook")
            << workbooks::package({{"readme.txt", "hello"}}) << 3 << "不是 Excel 工作簿";
        workbooks::Parts parts = workbooks::workbookParts({{"Sheet1", "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"}});
        QTest::newRow("encrypted entries") << workbooks::package(parts, "secret") << 3 << "已加密";
        QTest::newRow("a DTD") << workbooks::workbook("<!DOCTYPE x [<!ENTITY a \"b\">]><row/>") << 3 << "已损坏或不完整";
        QTest::newRow("rows out of order")
            << workbooks::workbook("<row r=\"5\"><c r=\"A5\"><v>1</v></c></row><row r=\"3\"/>") << 3 << "第 3 行排在第 5 行之后";
        QTest::newRow("cells out of order")
            << workbooks::workbook("<row r=\"1\"><c r=\"B1\"><v>1</v></c><c r=\"A1\"><v>2</v></c></row>") << 3 << "位置不对";
        QTest::newRow("past the last column")
            << workbooks::workbook("<row r=\"1\"><c r=\"AMK1\"><v>1</v></c></row>") << 3 << "超过了 1024 列的限制";
        QTest::newRow("past the last row")
            << workbooks::workbook("<row r=\"1048577\"><c r=\"A1048577\"><v>1</v></c></row>") << 3 << "超过了 1048576 行的限制";
        QTest::newRow("a cell too long")
            << workbooks::workbook("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" + QByteArray(40000, 'x')
                                   + "</t></is></c></row>")
            << 3 << "超过 32767 个字符";
        QTest::newRow("no such shared string")
            << workbooks::workbook("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>7</v></c></row>") << 3 << "不存在的共享字符串";
        QTest::newRow("a number that is none")
            << workbooks::workbook("<row r=\"1\"><c r=\"A1\"><v>1,5</v></c></row>") << 3 << "读不懂";
        // Small limits here: a sheet of 3 MB of blanks packs into a few
        // kilobytes; parts under the limit each that unpack past the total.
        QTest::newRow("zip bomb") << workbooks::workbook("<row r=\"1\"/>" + QByteArray(3 << 20, ' ')) << 3
                                  << "解压后太大";
        QTest::newRow("unpacked together past the total")
            << workbooks::workbook("<row r=\"1\"/>" + QByteArray(1800 << 10, ' '), QStringList(1500, QString(1000, u'x'))) << 3
            << "合计最多 3 MB";
    }
    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, error);
        QFETCH(QString, message);
        QVERIFY(!bytes.isEmpty());
        spreadsheet::Limits limits;
        limits.maxPartBytes = 2 << 20;
        limits.maxUnpackedBytes = 3 << 20;
        const Read r = readXlsx(bytes, {}, limits);
        QCOMPARE(r.status.error, error);
        QVERIFY2(r.status.message.contains(message), qPrintable(r.status.message));
    }

    // The container of Excel 97-2003, WPS and Office's encrypted workbooks.
    void compoundFiles_data()
    {
        QTest::addColumn<QString>("name"); // as the clerk's file is called
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray xls = workbooks::readFile(fixture(QStringLiteral("cheques.xls")));
        // The same file with its workbook stream renamed: a compound file
        // that holds no workbook (a Word document, a WPS-only .et).
        QByteArray foreign = xls;
        const QByteArray workbookName = QStringLiteral("Workbook").toUtf8();
        QByteArray utf16;
        for (const char c : workbookName)
            utf16 += QByteArray(1, c) + '\0';
        QByteArray other;
        for (const char c : QByteArray("Contents"))
            other += QByteArray(1, c) + '\0';
        foreign.replace(utf16, other);
        QTest::newRow("encrypted xlsx") << "pay.xlsx" << workbooks::readFile(fixture(QStringLiteral("encrypted.xlsx")))
                                        << "已加密";
        QTest::newRow("encrypted xls") << "pay.xls" << workbooks::readFile(fixture(QStringLiteral("encrypted.xls")))
                                       << "已加密";
        QTest::newRow("no workbook") << "pay.xls" << foreign << "不是电子表格";
        QTest::newRow("WPS's own format") << "pay.et" << foreign << "WPS 自己的格式";
        QTest::newRow("cut short") << "pay.xls" << xls.left(3000) << "已损坏或不完整";
        QTest::newRow("an .et that is a zip but no workbook")
            << "pay.et" << workbooks::package({{"content.xml", "<x/>"}}) << "无法读取这个 WPS 表格（.et）文件";
        QTest::newRow("header only") << "pay.xls" << xls.left(512) << "已损坏或不完整";
    }
    void compoundFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString path = m_dir.filePath(name);
        QVERIFY(workbooks::writeFile(path, bytes));
        batch::SheetSource source;
        const Status s = source.open(path);
        QCOMPARE(s.error, 3);
        QVERIFY2(s.message.contains(message), qPrintable(s.message));
    }

    // A sheet whose cells the library would have to make room for beyond
    // the limit is refused before the library reads it.
    void declaredCellsBeyondTheLimit()
    {
        spreadsheet::Limits limits;
        limits.maxCells = 20; // the fixture's first sheet declares 5 × 5
        const Read r = readXls(fixture(QStringLiteral("cheques.xls")), {}, limits);
        QCOMPARE(r.status.error, 3);
        QVERIFY2(r.status.message.contains(QStringLiteral("超过 20 个单元格")), qPrintable(r.status.message));
    }

    void sniffing()
    {
        QCOMPARE(spreadsheet::sniff("PK\x03\x04rest"), spreadsheet::FileKind::Zip);
        QCOMPARE(spreadsheet::sniff("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"), spreadsheet::FileKind::Compound);
        QCOMPARE(spreadsheet::sniff("收款人,金额"), spreadsheet::FileKind::Text);
        QCOMPARE(spreadsheet::columnName(0), QStringLiteral("A"));
        QCOMPARE(spreadsheet::columnName(27), QStringLiteral("AB"));
        QCOMPARE(spreadsheet::columnName(1023), QStringLiteral("AMJ"));
    }
};

QTEST_GUILESS_MAIN(TestSpreadsheet)
#include "tst_spreadsheet.moc"

// The CSV reader on files as spreadsheet programs save them and on broken
// ones: encodings found by themselves, quoting, line ends, chunk edges, and
// errors that name the row.
#include "core/csvreader.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QtTest>

namespace {

struct Parsed {
    QList<QStringList> rows;
    QList<int> lines; // the line each row begins on
    Status status;
    CsvReader::Encoding encoding = CsvReader::Encoding::Utf8;
};

Parsed parse(QByteArray bytes, const CsvLimits &limits = {})
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(buffer, limits);
    Parsed p;
    QStringList row;
    while (reader.next(row)) {
        p.rows << row;
        p.lines << reader.line();
    }
    p.status = reader.status();
    p.encoding = reader.encoding();
    return p;
}

QByteArray gb18030(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

using Rows = QList<QStringList>;

} // namespace

class TestCsvReader : public QObject {
    Q_OBJECT
private slots:
    void quoting_data();
    void quoting();
    void encodings_data();
    void encodings();
    void damagedUtf8IsNotReadAsGb18030();
    void chunkEdges_data();
    void chunkEdges();
    void rowAndLineNumbers();
    void errors_data();
    void errors();
    void wholeFile();
};

void TestCsvReader::quoting_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Rows>("rows");
    QTest::newRow("plain, LF") << QByteArray("a,b\n1,2\n") << Rows{{"a", "b"}, {"1", "2"}};
    QTest::newRow("CRLF") << QByteArray("a,b\r\n1,2\r\n") << Rows{{"a", "b"}, {"1", "2"}};
    QTest::newRow("CR alone") << QByteArray("a,b\r1,2\r") << Rows{{"a", "b"}, {"1", "2"}};
    QTest::newRow("no final line break") << QByteArray("a,b\n1,2") << Rows{{"a", "b"}, {"1", "2"}};
    QTest::newRow("empty fields") << QByteArray(",x,\n,,\n") << Rows{{"", "x", ""}, {"", "", ""}};
    QTest::newRow("blank line is one empty field") << QByteArray("a\n\nb\n") << Rows{{"a"}, {""}, {"b"}};
    QTest::newRow("comma in quotes") << QByteArray("\"1,234.56\",x\n") << Rows{{"1,234.56", "x"}};
    QTest::newRow("doubled quote") << QByteArray("\"say \"\"hi\"\"\",\"\"\"\"\n") << Rows{{"say \"hi\"", "\""}};
    QTest::newRow("empty quoted") << QByteArray("\"\",b\n") << Rows{{"", "b"}};
    QTest::newRow("LF in quotes") << QByteArray("\"line 1\nline 2\",x\n") << Rows{{"line 1\nline 2", "x"}};
    QTest::newRow("CRLF in quotes becomes LF") << QByteArray("\"a\r\nb\",x\r\n") << Rows{{"a\nb", "x"}};
    QTest::newRow("quote inside unquoted field") << QByteArray("5\" disk,x\n") << Rows{{"5\" disk", "x"}};
    QTest::newRow("blank before quote keeps it literal") << QByteArray("a, \"b\"\n") << Rows{{"a", " \"b\""}};
    QTest::newRow("empty file") << QByteArray() << Rows{};
}

void TestCsvReader::quoting()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Rows, rows);
    const Parsed p = parse(bytes);
    QVERIFY2(p.status.ok(), qPrintable(p.status.message));
    QCOMPARE(p.rows, rows);
}

void TestCsvReader::encodings_data()
{
    const QString text = QStringLiteral("收款人,金额,用途\n上海浦江贸易有限公司,\"1,234.56\",货款\n");
    const Rows rows{{"收款人", "金额", "用途"}, {"上海浦江贸易有限公司", "1,234.56", "货款"}};
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<Rows>("rows");
    QTest::newRow("UTF-8") << text.toUtf8() << int(CsvReader::Encoding::Utf8) << rows;
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << int(CsvReader::Encoding::Utf8)
                                    << rows;
    QTest::newRow("GBK/GB18030") << gb18030(text) << int(CsvReader::Encoding::Gb18030) << rows;
    QTest::newRow("GB18030 four-byte character") << gb18030(QStringLiteral("名\n𠀀龘\n"))
                                                 << int(CsvReader::Encoding::Gb18030)
                                                 << Rows{{"名"}, {QStringLiteral("𠀀龘")}};
    QTest::newRow("GB18030 with its BOM") << gb18030(QChar(0xFEFF) + text) << int(CsvReader::Encoding::Gb18030)
                                          << rows;
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    QTest::newRow("UTF-16LE with BOM") << QByteArray(utf16.encode(text)) << int(CsvReader::Encoding::Utf16LE)
                                       << rows;
    QTest::newRow("ASCII only") << QByteArray("a,b\n1,2\n") << int(CsvReader::Encoding::Utf8)
                                << Rows{{"a", "b"}, {"1", "2"}};
}

void TestCsvReader::encodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QFETCH(Rows, rows);
    const Parsed p = parse(bytes);
    QVERIFY2(p.status.ok(), qPrintable(p.status.message));
    QCOMPARE(int(p.encoding), encoding);
    QCOMPARE(p.rows, rows);
}

// A UTF-8 file with one broken byte must not come out as GB18030 mojibake.
void TestCsvReader::damagedUtf8IsNotReadAsGb18030()
{
    QByteArray bytes = QStringLiteral("收款人,金额\n上海浦江贸易有限公司,100\n北京,200\n").toUtf8();
    bytes.insert(bytes.lastIndexOf("北"), '\xFF');
    const Parsed p = parse(bytes);
    QVERIFY(!p.status.ok());
    QVERIFY2(p.status.message.contains(QStringLiteral("第 3 行")), qPrintable(p.status.message));
    QVERIFY(p.rows.isEmpty());
    // A character cut off at the very end is damage too.
    const Parsed cut = parse(QStringLiteral("收款人\n上海").toUtf8().chopped(1));
    QVERIFY(!cut.status.ok());
}

// Characters, doubled quotes and CRLF split across the reader's 64 KiB chunks.
void TestCsvReader::chunkEdges_data()
{
    QTest::addColumn<int>("shift");
    for (int shift = 0; shift < 15; ++shift)
        QTest::addRow("shift %d", shift) << shift;
}

void TestCsvReader::chunkEdges()
{
    QFETCH(int, shift);
    const int chunk = 64 * 1024;
    for (const QString &tail : {QStringLiteral("中文,\"a\"\"b\"\r\n"), QStringLiteral("\"x\r\ny\",𠀀\r\n")}) {
        QByteArray head = QByteArray("h\n") + QByteArray(chunk - 2 - 3 + shift, 'x') + ",";
        const QByteArray bytes = head + tail.toUtf8();
        const Parsed p = parse(bytes, CsvLimits{2 * chunk, 100});
        QVERIFY2(p.status.ok(), qPrintable(p.status.message));
        QCOMPARE(p.rows.size(), 2);
        QCOMPARE(p.rows.at(1).size(), 3);
        const QStringList expected = tail.startsWith(u'中') ? QStringList{"中文", "a\"b"}
                                                             : QStringList{"x\ny", QStringLiteral("𠀀")};
        QCOMPARE(p.rows.at(1).mid(1), expected);
    }
}

void TestCsvReader::rowAndLineNumbers()
{
    const Parsed p = parse("a,b\n\"two\nlines\",x\nc,d\n");
    QVERIFY(p.status.ok());
    QCOMPARE(p.rows.size(), 3);
    QCOMPARE(p.lines, (QList<int>{1, 2, 4}));
}

void TestCsvReader::errors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("maxField");
    QTest::addColumn<int>("maxColumns");
    QTest::addColumn<QString>("says");
    QTest::newRow("unterminated quote") << QByteArray("a,b\n1,2\n3,\"open\n4,5\n") << 1000 << 100
                                        << QStringLiteral("第 3 行：第 3 行开始的引号直到文件末尾都没有闭合");
    QTest::newRow("text after closing quote") << QByteArray("a\n\"b\"c\n") << 1000 << 100
                                              << QStringLiteral("第 2 行：引号括起的字段后面还有文字");
    QTest::newRow("huge field") << QByteArray("a\n") + QByteArray(5000, 'x') + "\n" << 1000 << 100
                                << QStringLiteral("第 2 行：一个字段超过 1000 个字符");
    QTest::newRow("huge quoted field names its quote") << QByteArray("a\nb\n\"") + QByteArray(5000, 'x') << 1000
                                                       << 100 << QStringLiteral("第 3 行开始的引号没有闭合");
    QTest::newRow("too many columns") << QByteArray("a\n") + QByteArray(300, ',') + "\n" << 1000 << 100
                                      << QStringLiteral("第 2 行的列数超过 100");
    QTest::newRow("neither UTF-8 nor GB18030") << QByteArray("a,b\n\x80\x80\x80,\xFF\n") << 1000 << 100
                                               << QStringLiteral("既不是 UTF-8，也不是 GB18030");
    QTest::newRow("binary") << QByteArray("a,b\n\0\0\x01\x02", 8) << 1000 << 100 << QStringLiteral("不是文字文件");
    QTest::newRow("Excel workbook") << QByteArray("PK\x03\x04\x14\x00", 6) << 1000 << 100
                                    << QStringLiteral("Excel 工作簿");
}

void TestCsvReader::errors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, maxField);
    QFETCH(int, maxColumns);
    QFETCH(QString, says);
    const Parsed p = parse(bytes, CsvLimits{maxField, maxColumns});
    QVERIFY(!p.status.ok());
    QVERIFY2(p.status.message.contains(says), qPrintable(p.status.message));
}

void TestCsvReader::wholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pay.csv"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(gb18030(QStringLiteral("收款人,金额\r\n张三,100\r\n")));
    f.close();
    const Result<CsvReader::Table> t = CsvReader::readFile(path);
    QVERIFY2(t.ok(), qPrintable(t.message()));
    QCOMPARE(t->encoding, CsvReader::Encoding::Gb18030);
    QCOMPARE(t->rows, (Rows{{"收款人", "金额"}, {"张三", "100"}}));
    QVERIFY(!CsvReader::readFile(dir.filePath(QStringLiteral("missing.csv"))).ok());
}

QTEST_GUILESS_MAIN(TestCsvReader)
#include "tst_csvreader.moc"

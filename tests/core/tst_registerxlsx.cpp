// The register written as an Excel workbook and read back: amounts as
// numbers shown with two decimals, the time and dates as dates, texts as
// text (a 19-digit account too), status and void reason in their own
// columns, a frozen header row; a failure leaves nothing at the target.
#include "core/batch.h"
#include "core/database.h"
#include "core/registerxlsx.h"
#include "core/xlsxreader.h"
#include "workbooks.h"

#include <QtTest>

namespace {

const TemplateRef Cheque{QStringLiteral("支票"), QStringLiteral("转账支票")};

billregister::Entry entry(const QString &written, const QString &payee, const QString &amount, const QString &date)
{
    billregister::Entry e;
    e.number = 1;
    e.written = written;
    e.status = billregister::Printed;
    e.printer = QStringLiteral("PDF 文件");
    e.copies = 2;
    e.user = QStringLiteral("clerk");
    e.values.insert(QStringLiteral("01107002"), payee);
    e.values.insert(QStringLiteral("01508000"), amount);
    e.values.insert(QStringLiteral("00606000"), date);
    e.values.insert(QStringLiteral("01307003"), QStringLiteral("6222021001001234567"));
    return e;
}

QByteArray part(const QByteArray &package, const QString &name)
{
    QByteArray bytes = package;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdUnzip) || !zip.setCurrentFile(name))
        return {};
    QuaZipFile file(&zip);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestRegisterXlsx : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    AppState m_state;
    BillTemplate m_cheque;

private slots:
    void initTestCase()
    {
        const QString path = m_dir.filePath(QStringLiteral("DB/BillDB.db"));
        QVERIFY(database::ensureExists(path).ok());
        QCOMPARE(OpenDatabase(m_state, path), 0);
        const Result<BillTemplate> t = batch::loadTemplate(m_state.DbConnection, Cheque);
        QVERIFY(t);
        m_cheque = *t;
    }

    void valuesKeepTheirKinds()
    {
        billregister::Entry voided = entry("2026-12-08T09:30:05", "乙公司", "12345678901234567.89", "");
        voided.status = billregister::Voided;
        voided.reason = QStringLiteral("金额写错");
        const QList<billregister::Entry> rows{entry("2026-12-08T10:00:00", "甲公司", "1234.50", "20261207"), voided};
        const QString path = m_dir.filePath(QStringLiteral("register.xlsx"));
        const Status s = billregister::writeXlsx(path, m_cheque, rows);
        QVERIFY2(s.ok(), qPrintable(s.message));
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral(".*.xlsx")}, QDir::Files | QDir::Hidden), QStringList());

        const QByteArray bytes = workbooks::readFile(path);
        XlsxReader reader;
        QVERIFY(reader.open(&bytes).ok());
        QCOMPARE(reader.sheetName(), QStringLiteral("登记簿"));
        spreadsheet::Row header, first, second;
        QVERIFY(reader.next(header) && reader.next(first) && reader.next(second));
        QCOMPARE(header.cells, billregister::exportHeader(m_cheque));
        auto at = [&](const spreadsheet::Row &r, const QString &name) {
            return r.cells.value(header.cells.indexOf(name));
        };
        QCOMPARE(at(first, "打印时间"), QStringLiteral("2026-12-08")); // a date with its time
        QCOMPARE(at(first, "状态"), QStringLiteral("已打印"));
        QCOMPARE(at(first, "份数"), QStringLiteral("2"));
        QCOMPARE(at(first, "收款人"), QStringLiteral("甲公司"));
        QCOMPARE(at(first, "小写金额"), QStringLiteral("1234.50"));
        QCOMPARE(at(first, "出票日期"), QStringLiteral("2026-12-07"));
        QCOMPARE(at(first, "出票人账号"), QStringLiteral("6222021001001234567"));
        QCOMPARE(at(second, "状态"), QStringLiteral("作废"));
        QCOMPARE(at(second, "作废原因"), QStringLiteral("金额写错"));
        // Past a spreadsheet's fifteen digits an amount stays text, whole.
        QCOMPARE(at(second, "小写金额"), QStringLiteral("12345678901234567.89"));

        // The kinds as the file says them: the amount a number with the
        // "0.00" style, the account a string, the header row frozen.
        const QString sheet = QString::fromUtf8(part(bytes, QStringLiteral("xl/worksheets/sheet1.xml")));
        QVERIFY2(sheet.contains(QStringLiteral("state=\"frozen\"")) && sheet.contains(QStringLiteral("ySplit=\"1\"")),
                 qPrintable(sheet.left(600)));
        QVERIFY(sheet.contains(QRegularExpression(QStringLiteral("<c r=\"[A-Z]+2\" s=\"\\d+\"><v>1234.5</v></c>"))));
        QVERIFY(sheet.contains(QRegularExpression(QStringLiteral("t=\"inlineStr\"><is><t>6222021001001234567</t>"))));
        QVERIFY(QString::fromUtf8(part(bytes, QStringLiteral("xl/styles.xml"))).contains(QStringLiteral("formatCode=\"0.00\"")));
    }

    // Nothing half-written is left at the target, and what was there stays.
    void failureLeavesTheTargetAlone_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder that does not exist") << "missing/register.xlsx";
        QTest::newRow("a folder in the way") << "taken";
    }
    void failureLeavesTheTargetAlone()
    {
        QFETCH(QString, target);
        QDir(m_dir.path()).mkpath(QStringLiteral("taken/inside"));
        const QString path = m_dir.filePath(target);
        const Status s = billregister::writeXlsx(path, m_cheque, {entry("2026-12-08T10:00:00", "甲", "1.00", "")});
        QCOMPARE(s.error, 3);
        QVERIFY2(s.message.contains(path), qPrintable(s.message));
        QVERIFY(!QFileInfo(path).isFile());
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral(".*.xlsx")}, QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestRegisterXlsx)
#include "tst_registerxlsx.moc"

// The print preview window: its settings bar, drawing, printing and the
// emptying of fields after a print.
#include "core/appstate.h"
#include "core/pdfoutput.h"
#include "core/units.h"
#include "print/printersettings.h"
#include "print/printpreview.h"
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

namespace {

PropertyList props(std::initializer_list<std::pair<int, QString>> entries)
{
    PropertyList list;
    for (const auto &[key, value] : entries)
        list.append(PropertyEntry{qint16(key), QString(), value});
    return list;
}

int px(int twips) { return units::twipsToPixels(twips); }

// The keys of the filled bill's fields.
const QString TextKey = QStringLiteral("00107001");
const QString DateKey = QStringLiteral("00206001");
const QString CheckKey = QStringLiteral("00305001");
const QString MoneyKey = QStringLiteral("00508001");

// A workspace with a filled bill: a text field (emptied after printing), a
// date field, a ticked check field (emptied), a label and a money field.
struct Workspace {
    AppState state; // outlives the window and the preview on it
    QWidget window;
    QList<std::pair<QString, QString>> messages;
    QList<QString> questions;
    bool answer = true;
    std::optional<std::array<int, 2>> client; // recorded client size, twips

    explicit Workspace(int widthTwips = 15000, bool select = true)
    {
        window.resize(px(widthTwips), px(9000));
        if (select) {
            state.SelectedClass = {0, "cKey1", "支票"};
            state.SelectedBill = {1, "bKey1", "转账支票"};
        }
    }

    void add(int kind, int index, const PropertyList &list)
    {
        state.Registry.RegistryCtl(FieldKey::make(state.Registry.count(), kind, index), list, 0,
                                   FieldRegistry::Add);
    }

    void fill()
    {
        add(KindBill, 0, props({{0, "转账支票"}, {3, "12758"}, {4, "5102"}}));
        add(KindText, 1, props({{1, "1200"}, {2, "800"}, {3, "3000"}, {4, "1500"}, {5, "12"}, {31, "是"}}));
        add(KindDate, 1, props({{1, "6000"}, {2, "800"}, {3, "3000"}, {4, "300"}, {5, "12"}, {31, "否"}}));
        add(KindCheck, 1, props({{1, "300"}, {2, "4000"}, {5, "12"}, {31, "是"}}));
        add(KindLabel, 1, props({{1, "300"}, {2, "300"}, {5, "12"}, {31, "是"}}));
        add(KindMoney, 1, props({{1, "7000"}, {2, "2500"}, {5, "14"}, {20, "千"}, {21, "元"},
                                 {22, "￥"}, {100, "1500"}, {101, "1200"}, {102, "900"},
                                 {103, "600"}, {104, "300"}, {105, "0"}}));
        state.Bill.setTemplate(BillTemplate::fromRegistry(state.Registry).value());
        state.Bill.setText(TextKey, "北京市海淀区");
        state.Bill.setDateText(DateKey, "2024年05月01日");
        state.Bill.setChecked(CheckKey, true);
        state.Bill.setColumns(MoneyKey, {"", "1", "2", "3", "4", "5"});
    }

    PrintPreview *open()
    {
        PrintPreview::ClientSizeSource source;
        if (client)
            source = [size = *client] { return size; };
        auto *preview = new PrintPreview(state, &window, source);
        preview->setMessageSink([this](const QString &title, const QString &text, bool) {
            messages.append({title, text});
        });
        preview->setQuestionSink([this](const QString &, const QString &text) {
            questions.append(text);
            return answer;
        });
        return preview;
    }
};

} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private slots:
    void initialChoices();
    void settingsBarPositions_data();
    void settingsBarPositions();
    void captionAndDrawing();
    void withoutTemplateNothingIsDrawn();
    void openBillWhateverTheTreeSelects();
    void printerChoice();
    void itemsFromTheFieldControls();
    void copiesZeroPrintsNothing();
    void printEmptiesMarkedFields_data();
    void printEmptiesMarkedFields();
    void failedPrintKeepsEverything();
    void nothingOpenPrintsNothing();
    void emptyBillIsRefused();
    void overflowingTextAsksFirst_data();
    void overflowingTextAsksFirst();
    void closeUnregisters();
    void openShowsOnePreview();
    void pdfOfTheFilledBill();

private:
    QTemporaryDir m_dir;
};

void TestPreview::initialChoices()
{
    Workspace ws;
    ws.fill();
    PrintPreview *p = ws.open();
    QCOMPARE(p->objectName(), QStringLiteral("PrintPreview"));
    QVERIFY(ws.state.IsWindowOpen("PrintPreview"));
    QCOMPARE(p->CmbOrientationC()->currentText(), QStringLiteral("横向"));
    QCOMPARE(p->CmbOrientationC()->count(), 2);
    QVERIFY(!p->CmbOrientationC()->isEditable());
    QCOMPARE(p->CmbColorModeC()->currentText(), QStringLiteral("单色"));
    QCOMPARE(p->CmbQualityC()->currentText(), QStringLiteral("草"));
    QCOMPARE(p->CmbQualityC()->count(), 4);
    QCOMPARE(p->TxtCopiesC()->text(), QStringLiteral("1"));
    QCOMPARE(p->TxtCopiesC()->maxLength(), 1);
    QCOMPARE(p->TxtPaperWidthC()->text(), QStringLiteral("225"));
    QCOMPARE(p->TxtPaperHeightC()->text(), QStringLiteral("90"));
    QVERIFY(!p->TxtPaperWidthC()->isEnabled());
    QVERIFY(!p->TxtPaperHeightC()->isEnabled());
    QCOMPARE(p->CmdPrintC()->text(), QStringLiteral("打印"));
    QCOMPARE(p->CmdCloseC()->text(), QStringLiteral("关闭"));
    const QStringList captions = {"方向", "宽度_毫米", "高度", "张数", "色彩", "质量", "设备"};
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(p->LblTC(i)->objectName(), QStringLiteral("LblTC%1").arg(i));
        QCOMPARE(p->LblTC(i)->text(), captions.at(i));
        QCOMPARE(p->LblTC(i)->font().pointSize(), 12);
    }
    const PrintJobOptions o = p->jobOptions();
    QCOMPARE(o.orientation, 2);
    QCOMPARE(o.copies, 1);
    QCOMPARE(o.colourMode, 1);
    QCOMPARE(o.quality, 1);
    QCOMPARE(o.paperCode, qint16(9));
    delete p;
}

void TestPreview::settingsBarPositions_data()
{
    QTest::addColumn<int>("clientWidth");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("orientation") << 15000 << "CmbOrientationC" << QRect(500, 0, 800, 400);
    QTest::newRow("label 1") << 15000 << "LblTC1" << QRect(1300, 0, 1100, 400);
    QTest::newRow("label 2 is taller") << 15000 << "LblTC2" << QRect(2900, 0, 500, 500);
    QTest::newRow("paper width") << 15000 << "TxtPaperWidthC" << QRect(2400, 0, 500, 400);
    QTest::newRow("copies") << 15000 << "TxtCopiesC" << QRect(4400, 0, 500, 400);
    QTest::newRow("quality") << 15000 << "CmbQualityC" << QRect(6700, 0, 500, 400);
    // The printer list leaves 1000 twips for the calibration button after it.
    QTest::newRow("printers") << 15000 << "CmbPrintersC" << QRect(7700, 0, 4300, 400);
    QTest::newRow("printers, narrow window") << 9000 << "CmbPrintersC" << QRect(7700, 0, 3000, 400);
    QTest::newRow("printers, exactly 10700") << 10700 << "CmbPrintersC" << QRect(7700, 0, 3000, 400);
    QTest::newRow("calibrate") << 15000 << "CmdCalibrateC" << QRect(12000, 0, 1000, 400);
    QTest::newRow("calibrate, narrow window") << 9000 << "CmdCalibrateC" << QRect(10700, 0, 1000, 400);
    QTest::newRow("print") << 15000 << "CmdPrintC" << QRect(13000, 0, 1000, 400);
    QTest::newRow("close") << 15000 << "CmdCloseC" << QRect(14000, 0, 1000, 400);
}

void TestPreview::settingsBarPositions()
{
    QFETCH(int, clientWidth);
    QFETCH(QString, control);
    QFETCH(QRect, twips);

    Workspace ws(clientWidth);
    ws.client = std::array<int, 2>{clientWidth, 9000};
    ws.fill();
    PrintPreview *p = ws.open();
    QCOMPARE(p->geometry(), QRect(0, 0, px(clientWidth), px(9000)));
    QCOMPARE(p->BottomPBC()->geometry(), QRect(0, px(9000) - px(400), px(clientWidth), px(400)));
    // Resizing puts the window back over the recorded client area.
    ws.window.show();
    p->show();
    p->resize(100, 100);
    QCOMPARE(p->geometry(), QRect(0, 0, px(clientWidth), px(9000)));
    QWidget *w = p->BottomPBC()->findChild<QWidget *>(control);
    QVERIFY(w);
    QCOMPARE(w->geometry(),
             QRect(px(twips.left()), px(twips.top()), px(twips.width()), px(twips.height())));
    delete p;
}

void TestPreview::captionAndDrawing()
{
    Workspace ws;
    ws.fill();
    PrintPreview *p = ws.open();
    QCOMPARE(p->windowTitle(),
             QStringLiteral("票据(转账支票)打印预览---当前打印机为：") + p->currentPrinter());
    QCOMPARE(p->PictureC()->geometry(), QRect(0, 0, px(12758), px(5102)));
    QVERIFY(!p->PictureC()->isHidden());
    // The drawn picture carries ink (the bill's texts) on its window colour.
    const QImage image = p->PictureC()->picture().toImage();
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            inked += qGray(image.pixel(x, y)) < 128;
    QVERIFY(inked > 50);
    if (qEnvironmentVariableIsSet("BILLPRINT_KEEP_TEST_OUTPUT")) {
        ws.window.show();
        p->show();
        ws.window.grab().save(QDir::temp().filePath("preview.png"));
    }
    delete p;
}

void TestPreview::withoutTemplateNothingIsDrawn()
{
    Workspace ws(15000, false);
    PrintPreview *p = ws.open();
    QCOMPARE(p->windowTitle(), QStringLiteral("打印预览"));
    QVERIFY(p->items().isEmpty());
    QVERIFY(p->PictureC()->isHidden());
    QVERIFY(p->TxtPaperWidthC()->text().isEmpty());
    delete p;
}

// A click on a class node after the bill was opened changes nothing: the
// preview shows the bill open on the surface.
void TestPreview::openBillWhateverTheTreeSelects()
{
    Workspace ws(15000, false);
    ws.fill();
    ws.state.SelectedClass = {0, "cKey1", "支票"}; // a class node: no template
    PrintPreview *p = ws.open();
    QVERIFY(p->windowTitle().startsWith(QStringLiteral("票据(转账支票)打印预览")));
    QVERIFY(p->items().size() > 5);
    QVERIFY(!p->PictureC()->isHidden());
    delete p;
}

void TestPreview::printerChoice()
{
    Workspace ws;
    ws.fill();
    PrintPreview *p = ws.open();
    QComboBox *list = p->CmbPrintersC();
    QCOMPARE(p->printerNames(), PrinterSettings::PrinterNames());
    QCOMPARE(list->count(), p->printerNames().size() + 1);
    QCOMPARE(list->itemText(list->count() - 1), QStringLiteral("PDF 文件"));
    QCOMPARE(list->currentIndex(), 0);
    QCOMPARE(p->currentPrinter(), list->itemText(0));
    QCOMPARE(list->font().pointSize(), 10);

    p->CmbPrintersC_Click(list->count() - 1);
    QCOMPARE(p->currentPrinter(), QStringLiteral("PDF 文件"));
    QCOMPARE(p->windowTitle(), QStringLiteral("PDF 文件"));
    if (!p->printerNames().isEmpty()) {
        p->CmbPrintersC_Click(0);
        QCOMPARE(p->currentPrinter(), p->printerNames().first());
        QCOMPARE(p->windowTitle(), p->printerNames().first());
    }
    delete p;
}

void TestPreview::itemsFromTheFieldControls()
{
    Workspace ws;
    ws.fill();
    // A narrow text field wraps its text: one item per displayed line.
    ws.state.Bill.setText(TextKey, "北京市海淀区中关村大街一号院");
    const QStringList lines = ws.state.Bill.lines(TextKey);
    QVERIFY(lines.size() > 1);

    PrintPreview *p = ws.open();
    const PrintItems &items = p->items();
    QStringList texts;
    for (const PrintItem &item : items.mid(1))
        texts.append(item.text);
    QStringList expected = lines;
    expected << "2024年05月01日" << "√" << "￥" << "5" << "4" << "3" << "2" << "1";
    QCOMPARE(texts, expected);
    for (int k = 1; k < lines.size(); ++k) {
        QCOMPARE(items.at(1 + k).left, 1200);
        QVERIFY(items.at(1 + k).top > items.at(k).top);
    }
    delete p;
}

void TestPreview::copiesZeroPrintsNothing()
{
    Workspace ws;
    ws.fill();
    PrintPreview *p = ws.open();
    const QString path = m_dir.filePath("zero.pdf");
    p->CmbPrintersC_Click(p->CmbPrintersC()->count() - 1);
    p->setPdfFileName(path);
    QSignalSpy printed(p, &PrintPreview::printed);
    p->TxtCopiesC()->setText("0");
    p->CmdPrint_Click();
    QVERIFY(!QFile::exists(path));
    QCOMPARE(printed.count(), 0);
    QCOMPARE(ws.state.Bill.text(CheckKey), QStringLiteral("√"));
    QVERIFY(ws.messages.isEmpty());
    delete p;
}

void TestPreview::printEmptiesMarkedFields_data()
{
    QTest::addColumn<QString>("copies");
    QTest::addColumn<int>("pages");
    QTest::newRow("one copy") << "1" << 1;
    QTest::newRow("three copies") << "3" << 3;
}

void TestPreview::printEmptiesMarkedFields()
{
    QFETCH(QString, copies);
    QFETCH(int, pages);

    Workspace ws;
    ws.fill();
    PrintPreview *p = ws.open();
    const QString path = m_dir.filePath(QStringLiteral("print%1.pdf").arg(copies));
    p->CmbPrintersC_Click(p->CmbPrintersC()->count() - 1);
    p->setPdfFileName(path);
    p->TxtCopiesC()->setText(copies);
    QSignalSpy printed(p, &PrintPreview::printed);
    QSignalSpy changed(&ws.state.Bill, &BillDocument::valueChanged);
    p->CmdPrint_Click();
    QVERIFY2(ws.messages.isEmpty(), qPrintable(ws.messages.value(0).second));
    QCOMPARE(printed.count(), 1);
    QVERIFY(QFile::exists(path));
    QProcess info;
    info.start("pdfinfo", {path});
    if (info.waitForFinished(10000) && info.exitCode() == 0)
        QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\b").arg(pages))));

    // Marked fields are empty, announcing their changes; the others stay.
    QCOMPARE(ws.state.Bill.text(TextKey), QString());
    QCOMPARE(changed.count(), 2);
    QCOMPARE(ws.state.Bill.text(CheckKey), QString());
    QCOMPARE(ws.state.Bill.text(DateKey), QStringLiteral("2024年05月01日"));
    QCOMPARE(ws.state.Bill.moneyNumber(MoneyKey), QStringLiteral("012345"));
    QVERIFY(ws.state.IsWindowOpen("PrintPreview"));
    delete p;
}

void TestPreview::failedPrintKeepsEverything()
{
    Workspace ws;
    ws.fill();
    PrintPreview *p = ws.open();
    p->CmbPrintersC_Click(p->CmbPrintersC()->count() - 1);
    p->setPdfFileName(m_dir.filePath("missing/dir/x.pdf"));
    p->CmdPrint_Click();
    QCOMPARE(ws.messages.size(), 1);
    QCOMPARE(ws.messages.first().first, QStringLiteral("注意"));
    QVERIFY(ws.messages.first().second.startsWith(QStringLiteral("%1\n").arg(PrintErrorNumber)));
    QCOMPARE(ws.state.Bill.text(CheckKey), QStringLiteral("√"));
    QVERIFY(ws.state.IsWindowOpen("PrintPreview"));
    QVERIFY(p->CmdPrintC());
    delete p;
}

void TestPreview::nothingOpenPrintsNothing()
{
    Workspace ws;
    PrintPreview *p = ws.open();
    p->CmbPrintersC_Click(p->CmbPrintersC()->count() - 1);
    const QString path = m_dir.filePath("none.pdf");
    p->setPdfFileName(path);
    p->CmdPrint_Click();
    QCOMPARE(ws.messages.size(), 1);
    QCOMPARE(ws.messages.first(), (std::pair<QString, QString>("注意", "未选中要打印的票据！")));
    QVERIFY(!QFile::exists(path));
    delete p;
}

// A bill whose fields are all empty would put nothing on paper: refused,
// nothing written, nothing emptied.
void TestPreview::emptyBillIsRefused()
{
    Workspace ws;
    ws.fill();
    ws.state.Bill.clearAll();
    PrintPreview *p = ws.open();
    p->CmbPrintersC_Click(p->CmbPrintersC()->count() - 1);
    const QString path = m_dir.filePath("blank.pdf");
    p->setPdfFileName(path);
    QSignalSpy printed(p, &PrintPreview::printed);
    p->CmdPrint_Click();
    QCOMPARE(ws.messages.size(), 1);
    QVERIFY(ws.messages.first().second.contains(QStringLiteral("没有要打印")));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(printed.count(), 0);
    delete p;
}

// A text that runs past its box prints only when the clerk says so; the
// question names the field.
void TestPreview::overflowingTextAsksFirst_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("clerk goes on") << true;
    QTest::newRow("clerk stops") << false;
}

void TestPreview::overflowingTextAsksFirst()
{
    QFETCH(bool, answer);
    Workspace ws;
    ws.fill();
    ws.answer = answer;
    ws.state.Bill.setText(TextKey, QString(100, QChar(u'字')));
    PrintPreview *p = ws.open();
    p->CmbPrintersC_Click(p->CmbPrintersC()->count() - 1);
    const QString path = m_dir.filePath(QStringLiteral("long%1.pdf").arg(answer));
    p->setPdfFileName(path);
    p->CmdPrint_Click();
    QCOMPARE(ws.questions.size(), 1);
    QVERIFY(ws.questions.first().contains(QStringLiteral("超出")));
    QCOMPARE(QFile::exists(path), answer);
    // Emptied only after a print that went through.
    QCOMPARE(ws.state.Bill.text(CheckKey).isEmpty(), answer);
    delete p;
}

void TestPreview::closeUnregisters()
{
    Workspace ws;
    ws.fill();
    QPointer<PrintPreview> p = ws.open();
    QVERIFY(ws.state.IsWindowOpen("PrintPreview"));
    p->CmdCloseC()->click();
    QVERIFY(!ws.state.IsWindowOpen("PrintPreview"));
    QVERIFY(p->items().isEmpty());
    QVERIFY(p->printerNames().isEmpty());
    QVERIFY(!p->CmdPrintC());
    QTRY_VERIFY(p.isNull());
}

void TestPreview::openShowsOnePreview()
{
    Workspace ws;
    ws.fill();
    ws.window.show();
    PrintPreview *first = PrintPreview::Open(ws.state, &ws.window);
    QVERIFY(first->isVisible());
    QCOMPARE(PrintPreview::Open(ws.state, &ws.window), first);
    QCOMPARE(ws.state.OpenWindows.count("PrintPreview"), 1);
    first->CmdClose_Click();
    PrintPreview *second = PrintPreview::Open(ws.state, &ws.window);
    QVERIFY(second != first);
    QCOMPARE(ws.state.OpenWindows.count("PrintPreview"), 1);
    delete second;
}

void TestPreview::pdfOfTheFilledBill()
{
    Workspace ws;
    ws.fill();
    const QString path = m_dir.filePath("fill.pdf");
    const Status status = PrintItemsToPdf(BuildPrintItems(ws.state.Bill), path);
    QVERIFY2(status.ok(), qPrintable(status.message));
    QVERIFY(QFile::exists(path));
    // Printing into a file empties nothing.
    QCOMPARE(ws.state.Bill.text(CheckKey), QStringLiteral("√"));
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"

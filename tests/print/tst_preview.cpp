// The print preview window: its settings bar, drawing, printing and the
// emptying of fields after a print.
#include "../typing.h"
#include "core/appstate.h"
#include "core/pdfoutput.h"
#include "core/units.h"
#include "print/printersettings.h"
#include "print/printpreview.h"
#include "print/wrapbar.h"
#include <QAbstractItemView>
#include <QComboBox>
#include <QScrollArea>
#include <QStyleOptionComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QFile>
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

using typing::choose;

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

    explicit Workspace(int width = 1000, bool select = true, int height = 600)
    {
        window.resize(width, height);
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
        auto *preview = new PrintPreview(state, &window);
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
    void settingsBarFits_data();
    void settingsBarFits();
    void followsTheWindow();
    void captionAndDrawing();
    void hugeBillNeedsNoHugeImage();
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
    void previewFollowsTheBill_data();
    void previewFollowsTheBill();

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

// The controls of the settings bar in their order, by name.
const QStringList BarControls = {"LblTC0", "CmbOrientationC", "LblTC1", "TxtPaperWidthC", "LblTC2",
                                 "TxtPaperHeightC", "LblTC3", "TxtCopiesC", "LblTC4", "CmbColorModeC",
                                 "LblTC5", "CmbQualityC", "LblTC6", "CmbPrintersC", "CmdCalibrateC",
                                 "CmdPrintC", "CmdCloseC"};

void TestPreview::settingsBarFits_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("printer"); // a queue name the list offers first
    QTest::newRow("800 x 600") << 800 << 560 << QString();
    QTest::newRow("1366 x 768") << 1366 << 700 << QString();
    QTest::newRow("1920 x 1080") << 1920 << 1000 << QString();
    QTest::newRow("narrower than the bill") << 560 << 400 << QString();
    QTest::newRow("long queue name") << 800 << 560 << QStringLiteral("Kyocera_ECOSYS_P2040dn_财务部_三楼东侧走廊");
}

void TestPreview::settingsBarFits()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, printer);

    Workspace ws(width, true, height);
    ws.fill();
    ws.window.show();
    PrintPreview *p = ws.open();
    p->show();
    if (!printer.isEmpty())
        p->CmbPrintersC()->insertItem(0, printer);
    QVERIFY(QTest::qWaitForWindowExposed(&ws.window));
    QCoreApplication::processEvents();

    // The preview covers its parent with the bar along the bottom edge.
    QCOMPARE(p->geometry(), ws.window.rect());
    QWidget *bar = p->BottomPBC();
    QCOMPARE(bar->geometry().bottom(), p->rect().bottom());
    QCOMPARE(bar->width(), p->width());

    // Every control is shown whole inside the window, the controls do not
    // overlap, and they keep their order: left to right, row by row.
    QRect previous;
    QList<QRect> seen;
    for (const QString &name : BarControls) {
        QWidget *w = bar->findChild<QWidget *>(name);
        QVERIFY2(w && w->isVisible(), qPrintable(name));
        const QRect r(w->mapTo(p, QPoint(0, 0)), w->size());
        QVERIFY2(p->rect().contains(r), qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 outside %6 px")
                                                       .arg(name).arg(r.x()).arg(r.y()).arg(r.width())
                                                       .arg(r.height()).arg(p->width())));
        if (!qobject_cast<QLineEdit *>(w)) // the boxes are sized to their characters below
            QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(name));
        for (const QRect &other : std::as_const(seen))
            QVERIFY2(!other.intersects(r), qPrintable(name));
        if (previous.isValid())
            QVERIFY2(r.top() > previous.bottom() || (r.left() > previous.right() && r.top() < previous.bottom()),
                     qPrintable(name));
        seen.append(r);
        previous = r;
    }

    // Each list shows each of its items in full.
    for (QComboBox *list : {p->CmbOrientationC(), p->CmbColorModeC(), p->CmbQualityC()}) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.editable = false;
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        for (int i = 0; i < list->count(); ++i)
            QVERIFY2(list->fontMetrics().horizontalAdvance(list->itemText(i)) <= field.width(),
                     qPrintable(list->objectName() + " " + list->itemText(i)));
    }
    // The boxes show every character they take; the paper size is as dark
    // as typed text.
    QVERIFY(p->TxtCopiesC()->fontMetrics().horizontalAdvance(QStringLiteral("9")) + 4 < p->TxtCopiesC()->width());
    for (QLineEdit *box : {p->TxtPaperWidthC(), p->TxtPaperHeightC()}) {
        QVERIFY(!box->isEnabled());
        QVERIFY(box->fontMetrics().horizontalAdvance(QStringLiteral("0000.0")) + 4 < box->width());
        QCOMPARE(box->palette().color(QPalette::Disabled, QPalette::Text),
                 box->palette().color(QPalette::Active, QPalette::Text));
    }
    // The bill itself can be scrolled into view.
    QScrollArea *scroll = p->PictureScrollC();
    QCOMPARE(scroll->widget(), static_cast<QWidget *>(p->PictureC()));
    QVERIFY(scroll->geometry().bottom() < bar->geometry().top());
    if (!qEnvironmentVariableIsEmpty("BILLPRINT_SCREENSHOTS"))
        ws.window.grab().save(QStringLiteral("/tmp/preview-%1.png").arg(width));
    delete p;
}

void TestPreview::followsTheWindow()
{
    Workspace ws(1366, true, 700);
    ws.fill();
    ws.window.show();
    PrintPreview *p = ws.open();
    p->show();
    QVERIFY(QTest::qWaitForWindowExposed(&ws.window));
    QCOMPARE(p->geometry(), ws.window.rect());
    QCOMPARE(p->settingsBar()->rowCount(), 1);
    const int wideBar = p->BottomPBC()->height();

    // Narrower: the settings the bar cannot hold go to a second row, and
    // the buttons stay at the right edge.
    ws.window.resize(800, 600);
    QTRY_COMPARE(p->geometry(), ws.window.rect());
    QTRY_COMPARE(p->settingsBar()->rowCount(), 2);
    QVERIFY(p->BottomPBC()->height() > wideBar);
    const auto closeRight = [p] { return p->CmdCloseC()->mapTo(p, QPoint(p->CmdCloseC()->width(), 0)).x(); };
    QTRY_VERIFY(closeRight() <= p->width() && closeRight() > p->width() - 10);

    ws.window.resize(1920, 1000);
    QTRY_COMPARE(p->geometry(), ws.window.rect());
    QTRY_COMPARE(p->settingsBar()->rowCount(), 1);
    QTRY_COMPARE(p->BottomPBC()->height(), wideBar);
    delete p;
}

void TestPreview::captionAndDrawing()
{
    Workspace ws;
    ws.fill();
    ws.window.show();
    PrintPreview *p = ws.open();
    p->show();
    const QString caption = QStringLiteral("票据(转账支票)打印预览---当前打印机为：") + p->currentPrinter();
    QCOMPARE(p->windowTitle(), caption);
    // The caption is seen along the top of the preview, above the bill.
    QLabel *shown = p->LblCaptionC();
    QCOMPARE(shown->text(), caption);
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->mapTo(p, QPoint(0, 0)), QPoint(0, 0));
    QCOMPARE(shown->width(), p->width());
    QVERIFY(p->PictureC()->mapTo(p, QPoint(0, 0)).y() >= shown->height());
    QCOMPARE(p->PictureC()->geometry(), QRect(0, 0, px(12758), px(5102)));
    QVERIFY(!p->PictureC()->isHidden());
    // The drawn picture carries ink (the bill's texts) on its window colour.
    const QImage image = p->PictureC()->picture();
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

namespace {

// The resident memory of this process in megabytes.
long residentMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLong() * 4096 / (1024 * 1024);
}

} // namespace

// A bill as large as the bounds allow (about 1.6 km of paper) previews
// without an image of the whole bill: what is on screen is painted, and
// scrolled to its far corner it still shows its text.
void TestPreview::hugeBillNeedsNoHugeImage()
{
    Workspace ws;
    ws.add(KindBill, 0, props({{0, "大票据"}, {3, "900000"}, {4, "900000"}}));
    ws.add(KindText, 1, props({{1, "880000"}, {2, "880000"}, {3, "6000"}, {4, "600"}, {5, "20"}}));
    ws.state.Bill.setTemplate(BillTemplate::fromRegistry(ws.state.Registry).value());
    ws.state.Bill.setText(QStringLiteral("00107001"), QStringLiteral("远处的字"));
    ws.window.show();
    const long before = residentMb();
    PrintPreview *p = ws.open();
    p->show();
    QTest::qWait(50);
    QCOMPARE(p->PictureC()->size(), QSize(px(900000), px(900000)));
    // A whole picture would take px(900000)^2 * 4 bytes, some 14 GB.
    QVERIFY2(residentMb() - before < 200, qPrintable(QString::number(residentMb() - before)));
    const QRect corner(px(880000), px(880000), 200, 60);
    const QImage shown = p->PictureC()->picture(corner);
    int inked = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            inked += qGray(shown.pixel(x, y)) < 128;
    QVERIFY(inked > 20);
    delete p;
}

void TestPreview::withoutTemplateNothingIsDrawn()
{
    Workspace ws(1000, false);
    PrintPreview *p = ws.open();
    QCOMPARE(p->windowTitle(), QStringLiteral("打印预览"));
    QCOMPARE(p->LblCaptionC()->text(), QStringLiteral("打印预览---当前打印机为：") + p->currentPrinter());
    QVERIFY(p->items().isEmpty());
    QVERIFY(p->PictureC()->isHidden());
    QVERIFY(p->TxtPaperWidthC()->text().isEmpty());
    delete p;
}

// A click on a class node after the bill was opened changes nothing: the
// preview shows the bill open on the surface.
void TestPreview::openBillWhateverTheTreeSelects()
{
    Workspace ws(1000, false);
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

    // Choosing with the mouse, as the clerk does: the caption on top names
    // the new printer at once.
    ws.window.show();
    p->show();
    QVERIFY(QTest::qWaitForWindowExposed(&ws.window));
    choose(list, list->count() - 1);
    QCOMPARE(p->currentPrinter(), QStringLiteral("PDF 文件"));
    QCOMPARE(p->windowTitle(), QStringLiteral("PDF 文件"));
    QCOMPARE(p->LblCaptionC()->text(), QStringLiteral("票据(转账支票)打印预览---当前打印机为：PDF 文件"));
    if (!p->printerNames().isEmpty()) {
        choose(list, 0);
        QCOMPARE(p->currentPrinter(), p->printerNames().first());
        QCOMPARE(p->windowTitle(), p->printerNames().first());
        QCOMPARE(p->LblCaptionC()->text(),
                 QStringLiteral("票据(转账支票)打印预览---当前打印机为：") + p->printerNames().first());
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

// The bill changes while the preview is shown (the history window refills it,
// a print empties the fields marked for it): the preview shows the bill as
// it is, and a print puts on paper what the register then records.
void TestPreview::previewFollowsTheBill_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("printed");
    QTest::newRow("text refilled") << TextKey << "上海市" << "上海市";
    QTest::newRow("text emptied") << TextKey << "" << "";
    QTest::newRow("date refilled") << DateKey << "2026年12月08日" << "2026年12月08日";
}

void TestPreview::previewFollowsTheBill()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, printed);
    Workspace ws;
    ws.fill();
    PrintPreview *p = ws.open();
    const QString before = ws.state.Bill.text(key);
    if (key == DateKey)
        ws.state.Bill.setDateText(key, text);
    else
        ws.state.Bill.setText(key, text);
    QStringList shown;
    for (qsizetype i = 1; i < p->items().size(); ++i)
        shown << p->items().at(i).text;
    QVERIFY2(!shown.contains(before), qPrintable(shown.join(u'|')));
    if (!printed.isEmpty())
        QVERIFY2(shown.contains(printed), qPrintable(shown.join(u'|')));

    const QString path = m_dir.filePath(QStringLiteral("follows%1.pdf").arg(QTest::currentDataTag()));
    p->CmbPrintersC_Click(p->CmbPrintersC()->count() - 1);
    p->setPdfFileName(path);
    p->CmdPrint_Click();
    QVERIFY2(ws.messages.isEmpty(), qPrintable(ws.messages.value(0).second));
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(20000))
        QSKIP("pdftotext is not installed");
    const QString onPaper = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QVERIFY2(!onPaper.contains(before), qPrintable(onPaper));
    QVERIFY2(onPaper.contains(printed), qPrintable(onPaper));
    delete p;
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"

// Qt's own buttons and dialogs speak Chinese once the distribution's Qt
// translations are installed, as the program does at start.
#include "app/filedialogs.h"
#include "app/translations.h"
#include "app/uitext.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// A button's caption as the clerk reads it: without the mnemonic marks
// "(&Y)" and "&".
QString plain(QString t)
{
    t.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    t.remove(QLatin1Char('&'));
    return t.trimmed();
}

QString shown(const QAbstractButton *b)
{
    return plain(b->text());
}

bool hasLatinLetters(const QString &s)
{
    for (const QChar c : s)
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
            return true;
    return false;
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(translations::installQtChinese(),
                 qPrintable(QStringLiteral("no qtbase_zh_CN.qm in %1 (qt6-translations-l10n)")
                                .arg(translations::qtTranslationsFolder())));
    }

    void failureReadsChineseFirst_data()
    {
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("shown");
        QTest::newRow("english detail") << "无法打开模板 甲" << "no such table" << "无法打开模板 甲（no such table）";
        // The store's English messages name the (Chinese) tables they were at.
        QTest::newRow("english detail naming a chinese table")
            << "无法打开模板 支票_现金支票" << "reading template 支票_现金支票 (no such table: 支票_现金支票)"
            << "无法打开模板 支票_现金支票（reading template 支票_现金支票 (no such table: 支票_现金支票)）";
        QTest::newRow("driver text after a name") << "导入模板没有完成。" << "\"支票_甲\" 无法获取行"
                                                   << "导入模板没有完成。（\"支票_甲\" 无法获取行）";
        QTest::newRow("chinese detail") << "删除没有完成。" << "类别“甲”不存在" << "类别“甲”不存在";
        QTest::newRow("chinese detail opening with a quote")
            << "重命名没有完成。" << " “甲/乙”的名称太长" << "“甲/乙”的名称太长";
        QTest::newRow("no detail") << "新建类别没有完成。" << "  " << "新建类别没有完成。";
    }
    // A failure the clerk reads begins with a Chinese sentence; a detail
    // that is one already stands for itself.
    void failureReadsChineseFirst()
    {
        QFETCH(QString, sentence);
        QFETCH(QString, detail);
        QFETCH(QString, shown);
        QCOMPARE(uitext::failure(sentence, detail), shown);
    }

    void standardButtonsAreChinese_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Yes") << int(QDialogButtonBox::Yes) << QStringLiteral("是");
        QTest::newRow("No") << int(QDialogButtonBox::No) << QStringLiteral("否");
        QTest::newRow("OK") << int(QDialogButtonBox::Ok) << QStringLiteral("确定");
        QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel) << QStringLiteral("取消");
        QTest::newRow("Save") << int(QDialogButtonBox::Save) << QStringLiteral("保存");
        QTest::newRow("Open") << int(QDialogButtonBox::Open) << QStringLiteral("打开");
        QTest::newRow("Close") << int(QDialogButtonBox::Close) << QStringLiteral("关闭");
    }
    void standardButtonsAreChinese()
    {
        QFETCH(int, button);
        QFETCH(QString, caption);
        QDialogButtonBox box{QDialogButtonBox::StandardButtons(button)};
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(shown(box.button(QDialogButtonBox::StandardButton(button))), caption);
    }

    // A question with Yes and No: both in Chinese, and clicking "否"
    // answers No.
    void messageBoxQuestionIsAnsweredInChinese()
    {
        QStringList captions;
        QTimer::singleShot(0, this, [&captions] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            QAbstractButton *no = nullptr;
            for (QAbstractButton *b : box->buttons()) {
                captions << shown(b);
                if (shown(b) == QStringLiteral("否"))
                    no = b;
            }
            if (no)
                QTest::mouseClick(no, Qt::LeftButton);
            else
                box->done(QMessageBox::Cancel);
        });
        const auto answer = QMessageBox::question(nullptr, QStringLiteral("注意"), QStringLiteral("删除这个模板吗？"),
                                                  QMessageBox::Yes | QMessageBox::No);
        captions.sort();
        QCOMPARE(captions, (QStringList{QStringLiteral("否"), QStringLiteral("是")}));
        QCOMPARE(answer, QMessageBox::No);
    }

    // The program's file dialog: its labels and buttons carry no English.
    void fileDialogIsChinese_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("open") << int(QFileDialog::AcceptOpen);
        QTest::newRow("save") << int(QFileDialog::AcceptSave);
    }
    void fileDialogIsChinese()
    {
        QFETCH(int, mode);
        std::unique_ptr<QFileDialog> dialog(filedialogs::create(nullptr, QStringLiteral("导出模板"), QDir::tempPath(),
                                                                QStringLiteral("JSON (*.json)"),
                                                                QFileDialog::AcceptMode(mode)));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            if (label->isVisible() && !label->text().isEmpty())
                QVERIFY2(!hasLatinLetters(plain(label->text())), qPrintable(label->text()));
        for (const QPushButton *b : dialog->findChildren<QPushButton *>())
            if (b->isVisible() && !b->text().isEmpty())
                QVERIFY2(!hasLatinLetters(shown(b)), qPrintable(b->text()));
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"

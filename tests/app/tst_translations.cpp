// Qt's own buttons and dialogs speak Chinese once the distribution's Qt
// translations are installed, as the program does at start.
#include "app/filedialogs.h"
#include "app/translations.h"

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

#include "about.h"

#include "core/appstate.h"
#include "linklabel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

LinkLabel *makeLink(const QString &name, QWidget *parent)
{
    auto *label = new LinkLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    QFont f = label->font();
    f.setUnderline(true);
    label->setFont(f);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xFF));
    label->setPalette(pal);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

} // namespace

About::About(const AppState &state, QWidget *parent)
    : QDialog(parent), lblTVPA(new QLabel(tr("Title Version Phone Address"), this)),
      lblHomePage(makeLink(QStringLiteral("lblHomePage"), this)),
      lblDownLoadPage(makeLink(QStringLiteral("lblDownLoadPage"), this)),
      ImageIcon(new QLabel(this)), cmdOK(new QPushButton(tr("OK"), this))
{
    setObjectName(QStringLiteral("About"));
    setModal(true);
    lblTVPA->setObjectName(QStringLiteral("lblTVPA"));
    lblTVPA->setTextFormat(Qt::PlainText);
    ImageIcon->setObjectName(QStringLiteral("ImageIcon"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    buildLayout();

    connect(lblHomePage, &LinkLabel::clicked, this, &About::lblHomePage_Click);
    connect(lblDownLoadPage, &LinkLabel::clicked, this, &About::lblDownLoadPage_Click);
    connect(cmdOK, &QPushButton::clicked, this, &About::cmdOK_Click);
    Form_Load(state);
}

int About::showModal(const AppState &state, QWidget *parent)
{
    About box(state, parent);
    return box.exec();
}

QString About::Credit()
{
    return tr("billprint, developed by the billprint team");
}

void About::buildLayout()
{
    const QPixmap icon(IconPath());
    ImageIcon->setPixmap(icon.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    ImageIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->addWidget(ImageIcon, 0, 0, 3, 1);
    grid->addWidget(lblTVPA, 0, 1);
    grid->addWidget(lblHomePage, 1, 1);
    grid->addWidget(lblDownLoadPage, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    lblTVPA->setContentsMargins(0, 0, 0, 8); // a gap between the record and the links
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void About::Form_Load(const AppState &state)
{
    setWindowTitle(QStringLiteral("关于 %1").arg(state.AppTitle).trimmed());
    lblTVPA->setText(state.AppTitle + QStringLiteral("\r\n") + state.AppVersion
                     + QStringLiteral("\r\n") + state.AppPhone + QStringLiteral("\r\n")
                     + state.AppAddress);
    lblHomePage->setText(state.AppHomePage);
    lblDownLoadPage->setText(state.AppDownLoadPage);
    ImageIcon->setToolTip(Credit());
}

void About::lblHomePage_Click()
{
    OpenAddress(lblHomePage->text());
}

void About::lblDownLoadPage_Click()
{
    OpenAddress(lblDownLoadPage->text());
}

void About::cmdOK_Click()
{
    hide();
    accept();
}

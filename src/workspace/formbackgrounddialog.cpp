#include "workspace/formbackgrounddialog.h"
#include "core/units.h"
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox *millimetres(double value, QWidget *parent)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setDecimals(1);
    box->setSingleStep(0.1);
    box->setRange(-200.0, 200.0);
    box->setSuffix(QStringLiteral(" 毫米"));
    box->setValue(value);
    return box;
}

} // namespace

FormBackgroundDialog::FormBackgroundDialog(const FormBackground &bg, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormBackgroundDialog"));
    setWindowTitle(QStringLiteral("纸样背景设置"));
    m_dpi = new QDoubleSpinBox(this);
    m_dpi->setDecimals(1);
    m_dpi->setRange(formbackground::MinDpi, formbackground::MaxDpi);
    m_dpi->setSuffix(QStringLiteral(" dpi"));
    m_dpi->setValue(bg.dpi);
    m_x = millimetres(units::twipsToMm(bg.offsetX), this);
    m_y = millimetres(units::twipsToMm(bg.offsetY), this);
    m_opacity = new QSpinBox(this);
    m_opacity->setRange(int(formbackground::MinOpacity * 100), 100);
    m_opacity->setSuffix(QStringLiteral(" %"));
    m_opacity->setValue(qRound(bg.opacity * 100));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("图像分辨率"), m_dpi);
    form->addRow(QStringLiteral("向右移动"), m_x);
    form->addRow(QStringLiteral("向下移动"), m_y);
    form->addRow(QStringLiteral("不透明度"), m_opacity);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    const auto changed = [this] { emit placementChanged(placement()); };
    for (QDoubleSpinBox *box : {m_dpi, m_x, m_y})
        connect(box, &QDoubleSpinBox::valueChanged, this, changed);
    connect(m_opacity, &QSpinBox::valueChanged, this, changed);
}

FormBackground FormBackgroundDialog::placement() const
{
    FormBackground p;
    p.dpi = m_dpi->value();
    p.offsetX = int(units::mmToTwips(m_x->value()));
    p.offsetY = int(units::mmToTwips(m_y->value()));
    p.opacity = m_opacity->value() / 100.0;
    return p;
}

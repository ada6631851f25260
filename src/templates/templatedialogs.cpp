#include "templates/templatedialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QLabel *problemLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("problem"));
    label->setStyleSheet(QStringLiteral("color: #b00000"));
    label->setWordWrap(true);
    label->hide();
    return label;
}

QDialogButtonBox *okCancel(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// Shows why the input cannot be used and puts the cursor back into it.
void showProblem(QLabel *label, QLineEdit *edit, const QString &why)
{
    label->setText(why);
    label->show();
    edit->setFocus();
    edit->selectAll();
}

QDoubleSpinBox *millimetreBox(QWidget *parent, const QString &name)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setDecimals(1);
    box->setRange(TemplateManager::MinPaperMm, TemplateManager::MaxPaperMm);
    box->setSuffix(QStringLiteral(" 毫米"));
    return box;
}

} // namespace

// ---- name ----------------------------------------------------------------------

NameDialog::NameDialog(const QString &title, const QString &prompt, const QString &name, QWidget *parent,
                       const QStringList &classes, const QString &className)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("NameDialog"));
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(prompt, this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto *form = new QFormLayout;
    if (!classes.isEmpty()) {
        m_class = new QComboBox(this);
        m_class->setObjectName(QStringLiteral("classBox"));
        m_class->setEditable(true);
        m_class->setInsertPolicy(QComboBox::NoInsert);
        m_class->addItems(classes);
        m_class->setCurrentText(className);
        form->addRow(QStringLiteral("类别："), m_class);
    }
    m_name = new QLineEdit(name, this);
    m_name->setObjectName(QStringLiteral("nameEdit"));
    m_name->setMaxLength(200); // longer names are refused with a reason, not cut
    m_name->selectAll();
    if (m_class) {
        form->addRow(QStringLiteral("名称："), m_name);
        layout->addLayout(form);
    } else {
        delete form;
        layout->addWidget(m_name);
    }
    m_problem = problemLabel(this);
    layout->addWidget(m_problem);
    layout->addWidget(okCancel(this));
    m_name->setFocus();
    setMinimumWidth(420);
}

QString NameDialog::name() const
{
    return m_name->text().trimmed();
}

QString NameDialog::className() const
{
    return m_class ? m_class->currentText().trimmed() : QString();
}

QString NameDialog::problem() const
{
    return m_problem->isVisible() ? m_problem->text() : QString();
}

void NameDialog::accept()
{
    const QString why = m_check ? m_check(className(), name()) : QString();
    if (!why.isEmpty()) {
        showProblem(m_problem, m_name, why);
        return;
    }
    QDialog::accept();
}

// ---- new template ----------------------------------------------------------------

NewTemplateDialog::NewTemplateDialog(const QStringList &classes, const QString &className,
                                     const QList<TemplateRef> &templates, QWidget *parent)
    : QDialog(parent), m_templates(templates)
{
    setObjectName(QStringLiteral("NewTemplateDialog"));
    setWindowTitle(QStringLiteral("新建模板"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_class = new QComboBox(this);
    m_class->setObjectName(QStringLiteral("classBox"));
    m_class->addItems(classes);
    m_class->setCurrentText(className);
    form->addRow(QStringLiteral("类别："), m_class);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("nameEdit"));
    m_name->setMaxLength(200);
    form->addRow(QStringLiteral("模板名称："), m_name);
    layout->addLayout(form);

    m_blank = new QRadioButton(QStringLiteral("空白模板，纸张大小："), this);
    m_blank->setObjectName(QStringLiteral("blankChoice"));
    m_blank->setChecked(true);
    layout->addWidget(m_blank);
    auto *size = new QHBoxLayout;
    size->addSpacing(20);
    m_preset = new QComboBox(this);
    m_preset->setObjectName(QStringLiteral("presetBox"));
    for (const PaperPreset &p : TemplateManager::paperPresets())
        m_preset->addItem(QStringLiteral("%1（%2 × %3 毫米）").arg(p.name).arg(p.widthMm).arg(p.heightMm));
    m_preset->addItem(QStringLiteral("自定义"));
    size->addWidget(m_preset);
    m_width = millimetreBox(this, QStringLiteral("widthBox"));
    m_height = millimetreBox(this, QStringLiteral("heightBox"));
    size->addWidget(new QLabel(QStringLiteral("宽"), this));
    size->addWidget(m_width);
    size->addWidget(new QLabel(QStringLiteral("× 高"), this));
    size->addWidget(m_height);
    layout->addLayout(size);

    m_copy = new QRadioButton(QStringLiteral("复制现有模板："), this);
    m_copy->setObjectName(QStringLiteral("copyChoice"));
    layout->addWidget(m_copy);
    auto *copy = new QHBoxLayout;
    copy->addSpacing(20);
    m_source = new QComboBox(this);
    m_source->setObjectName(QStringLiteral("sourceBox"));
    for (const TemplateRef &t : templates)
        m_source->addItem(t.display());
    copy->addWidget(m_source, 1);
    layout->addLayout(copy);
    auto *group = new QButtonGroup(this);
    group->addButton(m_blank);
    group->addButton(m_copy);
    m_copy->setEnabled(!templates.isEmpty());

    m_problem = problemLabel(this);
    layout->addWidget(m_problem);
    layout->addWidget(okCancel(this));

    connect(m_preset, &QComboBox::currentIndexChanged, this, &NewTemplateDialog::presetChosen);
    connect(m_width, &QDoubleSpinBox::valueChanged, this, &NewTemplateDialog::sizeEdited);
    connect(m_height, &QDoubleSpinBox::valueChanged, this, &NewTemplateDialog::sizeEdited);
    connect(m_blank, &QRadioButton::toggled, this, &NewTemplateDialog::choiceChanged);
    // Choosing a template to copy chooses copying.
    connect(m_source, &QComboBox::activated, this, [this] { m_copy->setChecked(true); });
    presetChosen(0);
    choiceChanged();
    m_name->setFocus();
}

void NewTemplateDialog::presetChosen(int index)
{
    const QList<PaperPreset> presets = TemplateManager::paperPresets();
    if (index < 0 || index >= presets.size())
        return;
    const QSignalBlocker w(m_width);
    const QSignalBlocker h(m_height);
    m_width->setValue(presets.at(index).widthMm);
    m_height->setValue(presets.at(index).heightMm);
}

void NewTemplateDialog::sizeEdited()
{
    // A size typed by hand that is no preset's shows as "自定义".
    const QList<PaperPreset> presets = TemplateManager::paperPresets();
    int match = int(presets.size());
    for (int i = 0; i < presets.size(); ++i)
        if (qFuzzyCompare(presets.at(i).widthMm, m_width->value())
            && qFuzzyCompare(presets.at(i).heightMm, m_height->value()))
            match = i;
    const QSignalBlocker block(m_preset);
    m_preset->setCurrentIndex(match);
}

void NewTemplateDialog::choiceChanged()
{
    const bool blank = m_blank->isChecked();
    m_preset->setEnabled(blank);
    m_width->setEnabled(blank);
    m_height->setEnabled(blank);
}

void NewTemplateDialog::offerSource(const TemplateRef &ref)
{
    const qsizetype at = m_templates.indexOf(ref);
    if (at >= 0)
        m_source->setCurrentIndex(int(at));
}

NewTemplateRequest NewTemplateDialog::request() const
{
    NewTemplateRequest r;
    r.ref = {m_class->currentText(), m_name->text().trimmed()};
    r.copy = m_copy->isChecked() && m_source->currentIndex() >= 0;
    if (r.copy)
        r.source = m_templates.value(m_source->currentIndex());
    r.widthMm = m_width->value();
    r.heightMm = m_height->value();
    return r;
}

QString NewTemplateDialog::problem() const
{
    return m_problem->isVisible() ? m_problem->text() : QString();
}

void NewTemplateDialog::accept()
{
    const NewTemplateRequest r = request();
    QString why = r.ref.className.isEmpty() ? QStringLiteral("请先新建一个类别") : QString();
    if (why.isEmpty() && m_check)
        why = m_check(r.ref.className, r.ref.templateName);
    if (!why.isEmpty()) {
        showProblem(m_problem, m_name, why);
        return;
    }
    QDialog::accept();
}

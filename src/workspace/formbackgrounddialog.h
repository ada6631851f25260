#pragma once
// Settings of the scanned form under the fields: resolution, offset from the
// bill's origin (nudged in steps of 0.1 mm) and opacity, shown live.
#include "workspace/formbackground.h"
#include <QDialog>

class QDoubleSpinBox;
class QSpinBox;

class FormBackgroundDialog : public QDialog {
    Q_OBJECT
public:
    explicit FormBackgroundDialog(const FormBackground &bg, QWidget *parent = nullptr);

    // The placement the dialog holds (the image bytes are not part of it).
    FormBackground placement() const;

signals:
    void placementChanged(const FormBackground &placement);

private:
    QDoubleSpinBox *m_dpi = nullptr;
    QDoubleSpinBox *m_x = nullptr;
    QDoubleSpinBox *m_y = nullptr;
    QSpinBox *m_opacity = nullptr;
};

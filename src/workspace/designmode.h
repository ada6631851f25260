#pragma once
// Design mode on the bill surface: selecting fields, dragging them, resizing
// them by the handles of their selection frames or with the arrow keys, and
// gathering a multiple selection with Shift- or Ctrl-clicks. Every completed
// change is written at once into the field's registry record (property keys
// 1 to 4: left, top, width, height in twips).
//
// The object lives beside the main window and works through its signals
// and accessors; DesignMode::attach wires it up.
#include "core/fieldregistry.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <array>

class DesignCtl;
class DesignHistory;
class MDIMain;
class Placing;
class PropertyPanel;
class QAction;
class SurfaceSketch;
struct AppState;

class DesignMode : public QObject {
    Q_OBJECT
public:
    // Handle being dragged.
    enum Handle { NoHandle = 0, BottomHandle = 1, CornerHandle = 2, RightHandle = 3 };
    // Nudge step of the arrow keys: 0.1 mm (5.67 twips) kept as a whole number.
    static constexpr int NudgeStep = 6;
    // Extra width and height of a frame over its field.
    static constexpr int FrameMargin = 100;
    // No drag, handle or key makes a field narrower or lower than 2 mm, so
    // that it can always be seen and taken hold of again.
    static constexpr int MinFieldSize = 113;

    // Creates the design-mode handlers for the window and connects them to
    // its field, frame and surface events. Owned by the window.
    static DesignMode *attach(MDIMain &window);

    explicit DesignMode(MDIMain &window);
    ~DesignMode() override;

    MDIMain &window() { return m_win; }
    AppState &state();
    Placing &placing() { return *m_placing; }
    SurfaceSketch *sketch() const { return m_sketch; }
    DesignHistory &history() { return *m_history; }
    PropertyPanel *panel() const { return m_panel; }
    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }

    // A template was opened for design: a fresh undo history, the edit menu
    // and the property panel. And the design ended: both go away.
    void designStarted();
    void designEnded();

    // The records at these slots changed (undo, redo, a property edit):
    // their frames and controls show them again.
    void showRecords(const QList<int> &which);
    // Fields were added or removed: every control and frame follows the
    // registry again, spare ones are taken away.
    void showAllRecords();
    // Selects these slots: one with its handles (and, with focus, the
    // keyboard focus), several as a multiple selection of outlines.
    void selectSlots(const QList<int> &which, bool focus = true);
    // Sets properties (key, value) of the field at `slot` as one undo step
    // named after `what`; the surface shows them at once. Entries the field
    // lacks are added. False for a slot that holds no field.
    bool setProperties(int slot, const QList<QPair<int, QString>> &values, const QString &what, int merge = -1);

    // The bill's width and height in twips.
    QSize billSize() const;
    // A field's rectangle moved (not resized) to lie inside the bill; a field
    // larger than the bill keeps its left or top edge at 0.
    QRect keepInside(const QRect &r) const;
    // The largest width and height a field at (left, top) can have.
    QSize roomAt(const QPoint &at) const;
    // How far right and down the fields reach on the bill (twips).
    QSize fieldsReach() const;
    // The smallest width and height the bill can be given: 2 mm, and never
    // so small that a field would leave it (a bill its fields already stick
    // out of keeps its size in that direction).
    QSize billLeast() const;

    // Drag state.
    qint16 PressButton = 0;
    std::array<int, 4> DrawRect{0, 0, 0, 0}; // x1, y1, x2, y2 (twips of the surface)
    qint16 SelectedCount = 0;
    QPoint DragStart;
    QRect DragStartRect;
    qint16 HandleDrag = NoHandle;

    // True while a mouse button pressed on a field, a handle or the bill
    // is still held: undo, redo and deleting wait until it is released.
    bool mouseHolds() const { return m_fieldPressed || HandleDrag != NoHandle || PressButton == 1; }

    // Makes the field current, its frame in the handles look. Returns 0 or
    // an error number (9 for a key that names no field).
    int CtlActivate(const QString &caKey);
    // Shows a surface position in millimetres (status panel 5 and the
    // surface's tip); with draw also the guide lines and the rubber band.
    void ShowPointerPosition(double x, double y, bool draw);
    // The position text: "12.3,45" for millimetres with one decimal.
    static QString pointerText(double x, double y);
    void MarkSelected(int flag, int slot, bool single);
    void HideAllFrames(bool visible);
    void BeginFieldDrag(const QString &key, int shift);
    void DragFields(const QString &key, int x, int y);
    void DropFields(const QString &key, int shift);
    void NudgeFields(const QString &key, int keyCode, int shift);
    void ApplyFieldRect(const QString &key, int left, int top, int width, int height);

    // Event handlers: field controls (kind and control index), the bill
    // surface, and the handles of frame `slot`.
    void Field_MouseDown(int kind, int index, int button, int shift, int x, int y);
    void Field_MouseMove(int kind, int index, int button, int shift, int x, int y);
    void Field_MouseUp(int kind, int index, int button, int shift, int x, int y);
    void Field_KeyDown(int kind, int index, int keyCode, int shift);
    void Surface_MouseDown(int button, int shift, int x, int y);
    void Surface_MouseMove(int button, int shift, int x, int y);
    void Surface_MouseUp(int button, int shift, int x, int y);
    void Surface_KeyDown(int keyCode, int shift);
    void Handle_MouseDown(int slot, Handle which, int button, int shift, int x, int y);
    void Handle_MouseMove(int slot, Handle which, int button, int shift, int x, int y);
    void Handle_MouseUp(int slot, Handle which, int button, int shift, int x, int y);

    // Connects the handle events of a selection frame.
    void connectFrame(int slot, DesignCtl *frame);

    // Helpers shared with placing.
    QWidget *fieldControl(int kind, int index) const;
    DesignCtl *frame(int slot) const;
    // The field's rectangle in twips (for the bill, in its frame's system).
    QRect fieldRect(const FieldKey &k) const;
    // Moves and sizes a field; the bill surface takes the size only.
    void placeField(const FieldKey &k, const QRect &r);
    // Writes the field's geometry from its frame into its record, flag 1.
    void writeBack(int slot, bool withSize);
    // Gives the field the keyboard focus (a date only with dateToo).
    void focusField(const FieldKey &k, bool dateToo);
    void clearDrawing();

signals:
    // The current field changed, or the design did (for the property panel).
    void selectionChanged();

private:
    void createEditActions();
    // Frames shown again as the registry's selection flags say.
    void keepSelection();
    // Frames of the drag still held shown again in the drag's outline look,
    // their hidden handles measuring from the size the drag began with.
    void keepDrag();
    void showDesignMenus(bool show);
    void commitGeometry(const QString &what);
    void leaveMoneyField(const QString &newKey);
    // The field's size a handle drag to (x, y) gives, within the bounds.
    QSize handleDragSize(int slot, Handle which, int x, int y) const;
    void nudgeOne(int slot, int dx, int dy, bool resize);
    void resizeBill(int width, int height);

    MDIMain &m_win;
    Placing *m_placing = nullptr;
    SurfaceSketch *m_sketch = nullptr;
    DesignHistory *m_history = nullptr;
    PropertyPanel *m_panel = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_delete = nullptr;
    bool m_fieldPressed = false; // the left button went down on a field
    int m_handleSlot = -1;       // the frame whose handle is dragged
};

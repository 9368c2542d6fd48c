#pragma once
// Conventions shared by the game's dialogs: borderless, topmost, modal windows
// dragged by their background, with an optional constant opacity; buttons that
// are a caption over a picture which lights up under the mouse; and placement
// of a dialog over the centre of the board.
#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QPoint>
#include <QPointer>

namespace corvane {

// Moves window so that its centre lies on the centre of boardWidget on the screen.
// Does nothing when either is missing.
void CenterOverBoard(QWidget* window, const QWidget* boardWidget);

// The colour of the dialogs' captions over their dark panel.
inline const QString DialogTextStyle =
    QStringLiteral("color: rgb(240, 226, 194); background: transparent;");

// The heading at the top left of a dialog: a piece picture (a PieceIndex) and
// the title in large bold letters. Both let mouse presses through, so the
// window is dragged by them as by its background.
void SetDialogHeading(QLabel& picture, QLabel& title, int piece, const QString& text, int top,
                      int titleWidth);

// A borderless, topmost, modal dialog painted with the shared panel picture.
// Pressing the left button on its background (or on a child that lets mouse
// presses through) and moving the mouse drags the window. Enter presses the
// image button that has the focus, else the default button; Esc closes the
// dialog as its cancel button does (reject).
class BorderlessDialog : public QDialog {
public:
    explicit BorderlessDialog(QWidget* parent = nullptr);
    // Constant opacity, 0..255 (255: opaque).
    void SetOpacity(int alpha);
    int Opacity() const { return opacity_; }
    // The button Enter presses; none: Enter does nothing.
    void SetDefaultButton(QAbstractButton* button) { defaultButton_ = button; }
    QAbstractButton* DefaultButton() const { return defaultButton_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int opacity_ = 255;
    QPointer<QAbstractButton> defaultButton_;
    bool dragging_ = false;
    QPoint grabOffset_; // cursor position relative to the window's top left corner
};

// A caption over the shared button picture. Entering it shows the highlighted
// picture and puts the other image buttons of the same window back to normal;
// leaving it, or moving over the window's background, restores the normal one.
// A "&" in the caption marks the Alt shortcut, as for any button.
class ImageButton : public QAbstractButton {
    // Its own meta-object, so that looking for image buttons among a window's
    // children never mistakes another button (a message box's) for one.
    Q_OBJECT
public:
    explicit ImageButton(const QString& caption, QWidget* parent = nullptr);
    bool Highlighted() const { return highlighted_; }
    void SetHighlighted(bool on);
    QSize sizeHint() const override;

    // Puts every image button inside window back to its normal picture.
    static void ResetAll(QWidget* window);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool highlighted_ = false;
};

} // namespace corvane

#pragma once
// What the shell's own dialogs share: a borderless, topmost, modal window dragged
// by its background over a drawn frame, and caption buttons that light up under
// the mouse. Beeps go through a replaceable function so that tests can count them.
#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QShortcut>
#include <functional>
#include <memory>

namespace corvane {

// A caption label over a button picture; the picture lights while the mouse is on it.
class CaptionButton : public QLabel {
    Q_OBJECT
public:
    CaptionButton(const QString& caption, QSize size, QWidget* parent);
    bool Lit() const { return lit_; }
    void SetLit(bool lit);

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    bool lit_ = false;
    QPixmap normal_, highlighted_;
    std::unique_ptr<QShortcut> shortcut_;
};

class ShellDialog : public QDialog {
    Q_OBJECT
public:
    // frame: 1 the large frame (new-game dialog), 2 the small one.
    ShellDialog(QSize size, int frame, QWidget* parent);

    // Called for every refusal; QApplication::beep unless a test replaces it.
    std::function<void()> beep;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void Beep() const;

private:
    QPixmap frame_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

} // namespace corvane

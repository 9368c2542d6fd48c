#pragma once
// The small line under the board where a move is typed: standard notation in
// English or Portuguese letters, or coordinates (see rules/TypedMove.h). Enter
// plays it through the same path as a drop; a text that is not a legal move
// beeps and leaves its reason with the announcer, and the board stays as it
// was. Esc clears the line.
#include <QLineEdit>
#include <QString>
#include <functional>

namespace corvane {

class TypedMoveLine : public QLineEdit {
    Q_OBJECT
public:
    explicit TypedMoveLine(QWidget* parent = nullptr);

    // Plays the text; true when it was played (the line is then emptied).
    bool Submit();

    // Plays a typed text: "" when it was played, otherwise the reason in Portuguese.
    std::function<QString(const QString& text)> play;
    // Tells the user why a text was refused (the announcer).
    std::function<void(const QString& reason)> tell;
    // Refusals beep here (QApplication::beep when unset).
    std::function<void()> beep;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace corvane

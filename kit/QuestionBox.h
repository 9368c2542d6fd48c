#pragma once
// The program's small notices: a title, a picture, a text that wraps, and
// image buttons below; and the Yes/No question built on it ("&Sim" answers
// yes, "&Não" or any other way of closing answers no).
#include "kit/WindowConventions.h"

#include <QLabel>
#include <QPixmap>

namespace corvane {

class NoticeDialog : public BorderlessDialog {
public:
    NoticeDialog(const QString& title, const QString& text, const QPixmap& picture,
                 QWidget* parent = nullptr);

    QLabel Label1; // the title
    QLabel Label2; // the text
    QLabel Image1; // the picture

protected:
    // Places a button in slot i of n along the bottom edge.
    void PlaceButton(ImageButton& button, int i, int n);
};

// A notice with one "&OK" button, which Enter and Esc press too. The window
// grows to show a long text whole; the text is shown as plain text.
class MessageNotice : public NoticeDialog {
public:
    MessageNotice(const QString& title, const QString& text, const QPixmap& picture,
                  QWidget* parent = nullptr);
    ImageButton lbOk;
};

// Shows a MessageNotice with the warning picture centred over parent and waits
// until it is closed.
void ShowWarningNotice(QWidget* parent, const QString& title, const QString& text);

class QuestionBox : public NoticeDialog {
    Q_OBJECT
public:
    QuestionBox(const QString& title, const QString& question, const QPixmap& picture,
                QWidget* parent = nullptr);
    // True after "&Sim", false after "&Não" (or any other way of closing).
    bool Answer() const { return answer_; }
    void Sim();
    void Nao();

    ImageButton lblSim, lblNao; // Enter answers "&Sim", Esc "&Não"

private:
    bool answer_ = false;
};

// The warning picture of the notices and questions.
QPixmap WarningPicture();

// Asks a Yes/No question with the warning picture, titled as given; true for yes.
bool AskWarningQuestion(QWidget* parent, const QString& title, const QString& question);

} // namespace corvane

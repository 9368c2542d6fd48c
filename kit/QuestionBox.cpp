#include "kit/QuestionBox.h"

#include "kit/PlainText.h"

#include <QApplication>
#include <QStyle>

namespace corvane {
namespace {

constexpr QSize kSize(380, 166);

void Look(QLabel& label, int pixels, bool bold) {
    QFont f = label.font();
    f.setPixelSize(pixels);
    f.setBold(bold);
    label.setFont(f);
    // a style sheet, so that the main window's label style cannot override it
    label.setStyleSheet(QStringLiteral("color: %1;").arg(QColor(236, 222, 190).name()));
    label.setAttribute(Qt::WA_TransparentForMouseEvents); // drags reach the window
}

} // namespace

NoticeDialog::NoticeDialog(const QString& title, const QString& text, const QPixmap& picture,
                           QWidget* parent)
    : BorderlessDialog(parent), Label1(this), Label2(this), Image1(this) {
    setFixedSize(kSize);
    setWindowTitle(QStringLiteral("Corvane"));
    ShowPlain(Label1, title);
    Look(Label1, 16, true);
    Label1.setGeometry(20, 12, 200, 24);
    // A question may name a saved game.
    ShowPlain(Label2, text);
    Label2.setWordWrap(true);
    Look(Label2, 14, false);
    // A text longer than the three lines the window holds makes it taller.
    const int textHeight = qMax(60, Label2.heightForWidth(270));
    setFixedSize(kSize.width(), kSize.height() + textHeight - 60);
    Label2.setGeometry(92, 46, 270, textHeight);
    Label2.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QSize size = picture.deviceIndependentSize().toSize();
    Image1.setPixmap(picture);
    Image1.setGeometry(
        QRect(QPoint(24 + (56 - size.width()) / 2, 48 + (56 - size.height()) / 2), size));
    Image1.setAttribute(Qt::WA_TransparentForMouseEvents);
}

void NoticeDialog::PlaceButton(ImageButton& button, int i, int n) {
    constexpr int width = 110, gap = 20;
    const int left = (kSize.width() - (n * width + (n - 1) * gap)) / 2 + i * (width + gap);
    button.setGeometry(left, height() - 50, width, 34);
}

QuestionBox::QuestionBox(const QString& title, const QString& question, const QPixmap& picture,
                         QWidget* parent)
    : NoticeDialog(title, question, picture, parent), lblSim(QStringLiteral("&Sim"), this),
      lblNao(QStringLiteral("&Não"), this) {
    PlaceButton(lblSim, 0, 2);
    PlaceButton(lblNao, 1, 2);
    connect(&lblSim, &ImageButton::clicked, this, &QuestionBox::Sim);
    connect(&lblNao, &ImageButton::clicked, this, &QuestionBox::Nao);
    SetDefaultButton(&lblSim);
}

void QuestionBox::Sim() {
    answer_ = true;
    accept();
}

void QuestionBox::Nao() {
    answer_ = false;
    reject();
}

MessageNotice::MessageNotice(const QString& title, const QString& text, const QPixmap& picture,
                             QWidget* parent)
    : NoticeDialog(title, text, picture, parent), lbOk(QStringLiteral("&OK"), this) {
    PlaceButton(lbOk, 0, 1);
    connect(&lbOk, &ImageButton::clicked, this, &QDialog::accept);
    SetDefaultButton(&lbOk);
}

QPixmap WarningPicture() {
    return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(40, 40);
}

void ShowWarningNotice(QWidget* parent, const QString& title, const QString& text) {
    MessageNotice notice(title, text, WarningPicture(), parent);
    CenterOverBoard(&notice, parent);
    notice.exec();
}

bool AskWarningQuestion(QWidget* parent, const QString& title, const QString& question) {
    QuestionBox box(title, question, WarningPicture(), parent);
    CenterOverBoard(&box, parent);
    box.exec();
    return box.Answer();
}

} // namespace corvane

#pragma once
// The shell's small notices: the yes/no question before a restart or a
// resignation, and the pause notice that holds the game until "&OK".
#include "kit/QuestionBox.h"

namespace corvane {

class frmQuestion : public QuestionBox {
    Q_OBJECT
public:
    // networkGame picks the resignation question instead of the restart one.
    explicit frmQuestion(bool networkGame, QWidget* parent = nullptr);
};

class frmPause : public NoticeDialog {
    Q_OBJECT
public:
    explicit frmPause(QWidget* parent = nullptr);
    void Ok() { accept(); }

    ImageButton lbOk;
};

} // namespace corvane

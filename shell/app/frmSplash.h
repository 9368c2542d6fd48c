#pragma once
// The window shown while the program loads: a picture and "Aguarde,
// carregando...  ". Its timer tmrClose closes it; exec() shows it modally.
#include <QDialog>
#include <QLabel>
#include <QTimer>

namespace corvane {

class frmSplash : public QDialog {
    Q_OBJECT
public:
    // closeAfterMs: 2000 in the program; tests pass less.
    explicit frmSplash(int closeAfterMs = 2000, QWidget* parent = nullptr);

    QLabel Image1, lblLoading;
    QTimer tmrClose;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace corvane

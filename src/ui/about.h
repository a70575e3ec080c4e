// The about box: the program's picture and an OK button.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace koral {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void cerrar();

    QFrame* marcoImagen;
    QLabel* imgPrograma;
    QPushButton* btnOK;
};

// The about picture, decoded from the copy built into the program.
QImage imagenAcercaDe();

}  // namespace koral

// The shared modal dialog behind Mensaje, Pregunta and PideCampo.
#pragma once

#include <QDialog>

#include "platform/Dialogos.h"

class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace koral {

class TOKBottomDlg : public QDialog, public Dialogos {
    Q_OBJECT
public:
    explicit TOKBottomDlg(QWidget* parent = nullptr);

    void mensaje(const std::string& texto) override;
    Respuesta pregunta(const std::string& titulo, const std::string& texto) override;
    bool pideCampo(const std::string& titulo, const std::string& indicacion,
                   std::string& valor) override;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void ajustarAlTexto();
    Respuesta mostrar(QWidget* foco);
    void responderSi();
    void responderNo();
    void cancelar();

    QLabel* lblTexto;
    QLineEdit* edCampo;
    QPushButton* btnSi;
    QPushButton* btnNo;  // "Aceptar" where there is one answer only
    QPushButton* btnCancelar;
    QFrame* marco_;
    Respuesta respuesta_ = Respuesta::Cancelar;
    bool preguntando_ = false;  // S and N answer only a question
};

}  // namespace koral

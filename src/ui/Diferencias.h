// The items where a second keying of a questionnaire differs from the stored
// answers, and the technician's choice of the right answer for each, made
// before anything is stored.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

class QPushButton;
class QTableWidget;

namespace koral {

struct TDiferencia {
    int item = 0;       // 1-75
    char grabada = 0;   // as stored
    char tecleada = 0;  // as keyed the second time; 0 when not keyed
    char correcta = 0;  // the choice; 0 until one is made
};

class TfrmDiferencias : public QDialog {
    Q_OBJECT
public:
    // Fills `correcta` of each entry; accepted only once every entry has one.
    TfrmDiferencias(std::vector<TDiferencia>& diferencias, std::function<void()> pitido,
                    QWidget* parent);

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    void elegir(int fila, char respuesta);
    void tblDiferenciasDblClick(int fila, int columna);

    std::vector<TDiferencia>& diferencias_;
    std::function<void()> pitido_;
    QTableWidget* tblDiferencias;
    QPushButton* btnAceptar;
};

}  // namespace koral

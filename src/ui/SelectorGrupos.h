// The picker the three editors share: the records available on the left,
// those associated on the right, and the moves between them (">", ">>",
// "<", "<<", a double-click on an entry). The questionnaire and profile
// editors pick groups with it, the group editor questionnaires. What a move
// does to the company is the association's.
#pragma once

#include <QWidget>

class QEvent;
class QListView;
class QPushButton;
class QVBoxLayout;

namespace koral {

class TListaRegistros;

// The company's side of a picker: the two lists it shows and what each
// move changes.
class TAsociacion {
public:
    virtual ~TAsociacion() = default;
    virtual TListaRegistros& disponibles() = 0;
    virtual TListaRegistros& asociados() = 0;
    virtual void agregar(int fila) = 0;  // ">" on a row of disponibles
    virtual void agregarTodos() = 0;     // ">>"
    virtual void quitar(int fila) = 0;   // "<" on a row of asociados
    virtual void quitarTodos() = 0;      // "<<"
};

class TSelectorGrupos : public QWidget {
    Q_OBJECT
public:
    // The type of the two headings, as each editor has them.
    enum class Rotulos { normales, negrita, mayores };

    TSelectorGrupos(const QString& disponibles, const QString& asociados, Rotulos rotulos,
                    QWidget* parent);

    // Shows a's lists and makes the moves through it.
    void asociar(TAsociacion& a);
    // A button of the editor's own, under the move buttons.
    QPushButton* agregarBoton(const QString& texto, const char* nombre);

signals:
    // After every move the user asks for, made or not.
    void movido();

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    // Enter on a list: its entry across, and the next one chosen.
    void moverConTecla(QListView* lista);

    void anadirElegido();  // ">", a double-click on the left
    void anadirTodos();    // ">>"
    void quitarElegido();  // "<", a double-click on the right
    void quitarTodos();    // "<<"

    QListView* lstDisponibles;  // "lBox1"
    QListView* lstElegidos;     // "lBox2"
    QVBoxLayout* flechas_;
    TAsociacion* asociacion_ = nullptr;
};

}  // namespace koral

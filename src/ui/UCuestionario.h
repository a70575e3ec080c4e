// The questionnaire editor: one respondent's 75 answers keyed into seven
// small grids, the questionnaire's name and its groups.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "document/UData.h"
#include "ui/Editores.h"

class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QLineEdit;

namespace koral {

class TRejilla;
class TSelectorGrupos;

class TfrmCuest : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCuest(QWidget* parent = nullptr);
    ~TfrmCuest() override;

    enum class Modo {
        edicion,      // answers, name and groups
        verificacion  // the answers keyed again, blank at first; name and groups as stored
    };

    // Opens the editor modally on q; true when it was closed by "Aceptar".
    bool editarCuestionario(TKoral& doc, TCuestionario& q);
    // Double entry: the paper form keyed a second time into blank cells. On
    // "Aceptar" every item keyed otherwise than stored is shown with both
    // answers and the right one chosen before anything is stored. True when
    // accepted: q then holds the answers both keyings, or the choices, agree on.
    bool verificarCuestionario(TKoral& doc, TCuestionario& q);
    // The opening: fills the grids, the lists and the name from q and puts
    // the cursor on item 1. The two above do this, then show the window.
    void abrir(TKoral& doc, TCuestionario& q, Modo modo = Modo::edicion);

    // The text of item i's cell (1-75), the open cell editor's included.
    QString textoItem(int item) const;
    // The answer a cell's text stands for: its first character when that is
    // a digit from '0' to the item's option count, otherwise '0' (no answer),
    // so that an emptied cell, or one holding anything else, is unanswered.
    static char respuestaDe(const QString& texto, int item);

    // The system beep; tests count it here.
    std::function<void()> pitido;

    // Refreshes "Respondidas: N de 75" from the cells, the open editor's included.
    void actualizarRespondidas();

    // "Cancelar" and the close box: the groups as they were at the opening.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    friend class TRejilla;
    friend class TCeldaRespuesta;
    // The parts the constructor builds, each with its own layout.
    QHBoxLayout* crearIdentificador();
    void crearGrupos();  // and the "NG" button under its moves
    QHBoxLayout* crearBotones();
    QHBoxLayout* crearEstado();  // "Respondidas" and "Avanzar al teclear"
    QGroupBox* crearRejillas();  // one a factor, with its heading above
    void aceptar();              // "Aceptar"
    // "Aceptar" of a verification: false while the editor stays open.
    bool aceptarVerificacion();
    void cancelar();          // "Cancelar"
    void avisarGrupoNuevo();  // "NG"
    // Key-down and character rules of the grids; true when the key is used up.
    bool teclaEnRejilla(TRejilla& rejilla, QKeyEvent* e);
    bool caracterEnRejilla(TRejilla& rejilla, const QKeyEvent* e);
    void entrar(int factor, int columna);
    // Moves to the next item as Tab does; false on item 75.
    bool avanzar(TRejilla& rejilla);
    // Items whose cell holds more than one character.
    std::vector<int> itemsConFallo() const;
    // Asks about such cells, item 75 left out when `sinUltima`; true when
    // the user goes back to the first one.
    bool volverAFallos(bool sinUltima);
    // An extra Tab leaves an item blank and pushes every later answer one
    // item on, so that the last cell gets two. Asks about it when item 75
    // holds more than one digit, or did during this keying, and blank items
    // come before it.
    enum class Desplazamiento { ninguno, volver, guardar };
    Desplazamiento avisarDesplazamiento();

    QLineEdit* txtIdentificador;
    QLabel* lblRespuestas;
    TSelectorGrupos* grupos_;
    QLabel* lblRespondidas;
    QCheckBox* chkAvanzar;  // "Avanzar al teclear", kept in the user's settings
    std::array<TRejilla*, kNumFactores> rejillas_{};  // one a factor, in order
    std::unique_ptr<TMiembros<TCuestionario, TGrupo>> miembros_;
    TKoral* doc_ = nullptr;
    TCuestionario* cuest_ = nullptr;
    Modo modo_ = Modo::edicion;
    bool desbordada_ = false;  // item 75 held more than one digit since the opening

    // What the group moves change, as it was at the opening, so that a
    // cancelled editor leaves the company as it found it.
    struct TAntes {
        bool modificado = false;
        std::vector<TGrupo*> grupos;
        // The member lists that held the questionnaire's identifier.
        std::unordered_map<TGrupo*, std::vector<TCuestionario*>> miembros;
    };
    void restaurar();
    std::optional<TAntes> antes_;
};

}  // namespace koral

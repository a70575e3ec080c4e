// "Datos de la evaluación": the assessment's own data, kept in the company's
// companion file, edited in five tabs.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "document/DatosEvaluacion.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QSpinBox;
class QTableWidget;
class QTabWidget;

namespace koral {

class TKoral;
class TAcompanante;

// A date that may be none: a check box that names it and a date field,
// enabled while the box is ticked.
class TCampoFecha : public QWidget {
    Q_OBJECT
public:
    TCampoFecha(const QString& rotulo, const char* nombre, QWidget* padre);
    // Days since 30 December 1899; 0 for none.
    double valor() const;
    void poner(double dia);
    QCheckBox* casilla() const { return casilla_; }
    QDateEdit* fecha() const { return fecha_; }

signals:
    void cambiado();

private:
    QCheckBox* casilla_;
    QDateEdit* fecha_;
};

class TfrmDatosEvaluacion : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDatosEvaluacion(QWidget* parent = nullptr);
    ~TfrmDatosEvaluacion() override;

    // Opens the window modally on the data `acompanante` keeps for `doc`.
    // "Aceptar" with changes puts them in the companion and marks the
    // company modified, so that saving writes them; returns whether it did.
    bool editar(TKoral& doc, TAcompanante& acompanante);
    // Fills every tab from `datos`; editar does this, then shows the window.
    void abrir(const TKoral& doc, const TDatosEvaluacion& datos);
    // What the tabs hold, over what was opened (entries of groups and
    // profiles the company no longer has are kept).
    TDatosEvaluacion datos();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QWidget* crearIdentificacion();
    QWidget* crearAlcance();
    QWidget* crearPlantilla();
    QWidget* crearResultados();
    QWidget* crearMedidas();
    void btnAceptarClick();

    void llenarPlantilla();
    void refrescarParticipacion();
    // The profile shown in Resultados, kept before another is shown.
    void guardarResultado();
    void mostrarResultado(int fila);
    // The measure in the form: into the list, and the list into the form.
    void mostrarMedida(int fila);
    void guardarMedida();
    void refrescarFilaMedida(int fila);
    void nuevaMedida();
    void quitarMedida();
    void moverMedida(int paso);

    const TKoral* doc_ = nullptr;
    TAcompanante* acompanante_ = nullptr;
    TDatosEvaluacion abierto_;
    std::vector<TResultadoPerfil> resultados_;  // one per profile of the list
    int resultadoActual_ = -1;
    std::vector<TMedida> medidas_;
    int medidaActual_ = -1;
    bool cargando_ = false;

    QTabWidget* paginas;
    // Identificación
    QLineEdit* txtEmpresa;
    QLineEdit* txtCif;
    QLineEdit* txtCentros;
    QLineEdit* txtActividad;
    QLineEdit* txtEvaluador;
    QLineEdit* txtTitulacion;
    QLineEdit* txtServicio;
    TCampoFecha* fecInforme;
    // Alcance y método
    QPlainTextEdit* mmObjeto;
    TCampoFecha* fecDesde;
    TCampoFecha* fecHasta;
    QComboBox* cbAplicacion;
    QPlainTextEdit* mmRepresentantes;
    QPlainTextEdit* mmMetodo;
    // Plantilla
    QSpinBox* spTrabajadores;
    QLabel* lblParticipacion;
    QTableWidget* tblPlantilla;
    // Resultados
    QListWidget* lstPerfiles;
    QPlainTextEdit* mmDiscusion;
    QPlainTextEdit* mmConclusiones;
    QSpinBox* spMinimo;
    // Medidas
    QTableWidget* tblMedidas;
    QWidget* frmMedida;
    std::vector<QCheckBox*> chkFactores;
    QListWidget* lstPerfilesMedida;
    QPlainTextEdit* mmMedida;
    QComboBox* cbPrioridad;
    QLineEdit* txtResponsable;
    QLineEdit* txtRecursos;
    TCampoFecha* fecInicio;
    TCampoFecha* fecFin;
    QComboBox* cbEstado;
    QLabel* lblHecha;
    QPlainTextEdit* mmSeguimiento;
    TCampoFecha* fecProxima;
};

}  // namespace koral

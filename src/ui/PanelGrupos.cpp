#include "ui/PanelGrupos.h"

#include <algorithm>

#include "platform/Dialogos.h"
#include "platform/Texto.h"
#include "platform/qt/Escritorio.h"
#include "ui/CursorOcupado.h"
#include "ui/Iconos.h"
#include "ui/UChild.h"
#include "ui/UMain.h"

namespace koral {

TPanelGrupos::TPanelGrupos(TChildWin& ventana) : TPanelLista(ventana, "lblGrupos", "lstGrupos") {
    modelo_ = crearModelo<TGrupo>();
    const TOrdenesExternas& o = ventana_.ordenes();
    crearBoton(0, "GNewButton", "Nuevo", Dibujo::Nuevo, 'G', true, [this] { nuevo(); });
    crearBoton(40, "GModifyButton", "Modificar", Dibujo::Modificar, 'R', true,
               [this] { renombrar(); });
    // The assessment's own data is the company's, shown beside its groups.
    crearBoton(68, "DatosEvaluacionButton", "Datos de la evaluación", Dibujo::Evaluacion, 'D', true,
               [this] { ventana_.editarDatosEvaluacion(); });
    crearBoton(96, "GVerButton", "Ver estructura del grupo", Dibujo::Estructura, 'E',
               bool(o.verGrupo), [this] { verEstructura(); });
    crearBoton(128, "GDeleteButton", "Eliminar", Dibujo::Eliminar, 'B', true, [this] { borrar(); });
    crearBoton(168, "GPrintButton", "Imprimir", Dibujo::Imprimir, 'L', bool(o.imprimirGrupos),
               [this] { imprimir(); });
    connect(lista_, &QListView::doubleClicked, this, &TPanelGrupos::renombrar);
}

void TPanelGrupos::refrescarCabecera() {
    const TKoral* doc = ventana_.documento();
    ponerCabecera(QString::number(doc ? doc->nGrupos : 0) + " Grupos");
}

void TPanelGrupos::llenar() {
    modelo_->llenar(entradas(ventana_.documento()->grupos));
}

void TPanelGrupos::vaciar() {
    modelo_->llenar({});
}

void TPanelGrupos::nuevo() {
    TKoral* doc = ventana_.documento();
    if (!doc) return;
    std::string nombre = "Grupo " + rellenarCeros(static_cast<long long>(doc->nGrupos) + 1, 3);
    if (!PideCampo("Nuevo Grupo", "Indique nombre para el nuevo grupo", nombre)) return;
    TGrupo* g = modelo_->contiene(aQString(nombre)) ? nullptr : doc->agregarGrupo(nombre);
    if (!g) {
        // In use as typed, or (a longer name) once cut to the length kept.
        CajaMensaje(kTituloPrograma, "El grupo " + nombre + " ya existe");
        return;
    }
    hacerActual(modelo_->agregar(aQString(g->nombre), g));
    ventana_.refrescarCabeceras();
    doc->modificado = true;
}

void TPanelGrupos::renombrar() {
    TKoral* doc = ventana_.documento();
    const int fila = filaActual();
    if (!doc || fila < 0) return;
    TGrupo* g = modelo_->registro(fila);
    std::string actual;
    deQString(modelo_->texto(fila), actual);
    std::string nombre = actual;
    if (!PideCampo("Modificar Grupo", "Indique nuevo nombre para el grupo", nombre) ||
        nombre == actual)
        return;
    const std::string guardado = cortarNombre(nombre);
    // A long answer that cuts back to the present name changes nothing.
    if (guardado == actual) return;
    if (modelo_->contiene(aQString(nombre)) || modelo_->contiene(aQString(guardado))) {
        Mensaje("El grupo " + nombre + " ya existe");
        return;
    }
    g->nombre = guardado;
    hacerActual(modelo_->cambiarTexto(fila, aQString(guardado)));
    doc->modificado = true;
}

void TPanelGrupos::verEstructura() {
    TKoral* doc = ventana_.documento();
    const int fila = filaActual();
    const TOrdenesExternas& o = ventana_.ordenes();
    if (!doc || fila < 0 || !o.verGrupo) return;
    o.verGrupo(*doc, *modelo_->registro(fila));
    doc->modificado = true;
}

std::string TPanelGrupos::preguntaBorrar(const TGrupo* g, const std::string& nombre) const {
    // Deleting a group silently widens every profile that selects it: say
    // which, and which of them will then take every questionnaire of the
    // company. Each name in quotes: a name may hold a comma. The question
    // box is small, so the names run on in one paragraph.
    std::vector<std::string> usan, vacios;
    for (const TPerfil* p : ventana_.perfilesEnLista()) {
        if (std::find(p->grupos.begin(), p->grupos.end(), g) == p->grupos.end()) continue;
        usan.push_back("«"_cp + p->nombre + "»"_cp);
        // The deletion takes one entry out of the profile's selection.
        if (p->grupos.size() == 1) vacios.push_back(usan.back());
    }
    auto enumerar = [](const std::vector<std::string>& nombres) {
        std::string lista = nombres.front();
        for (std::size_t k = 1; k < nombres.size(); ++k)
            lista += (k + 1 == nombres.size() ? " y " : ", ") + nombres[k];
        return lista;
    };
    if (usan.empty()) return "Desea borrar el grupo " + nombre + "?";
    std::string pregunta = "El grupo «"_cp + nombre + "» se usa en "_cp +
                           (usan.size() == 1 ? "el perfil " : "los perfiles ") + enumerar(usan) +
                           ".";
    if (!vacios.empty())
        pregunta +=
            " " + enumerar(vacios) +
            (vacios.size() == 1 ? " se quedará sin grupos y abarcará toda la empresa."_cp
                                : " se quedarán sin grupos y abarcarán toda la empresa."_cp);
    return pregunta + " ¿Desea borrarlo?"_cp;
}

void TPanelGrupos::borrar() {
    TKoral* doc = ventana_.documento();
    const int fila = filaActual();
    if (!doc || fila < 0) return;
    TGrupo* g = modelo_->registro(fila);
    std::string nombre;
    deQString(modelo_->texto(fila), nombre);
    if (Pregunta("Borrar Grupos", preguntaBorrar(g, nombre)) != Respuesta::Si) return;
    CursorOcupado ocupado;
    doc->borrarGrupo(g);
    ventana_.refrescarTitulo();
    ventana_.refrescarCabeceras();
    modelo_->quitar(fila);
    doc->modificado = true;
}

void TPanelGrupos::imprimir() {
    TKoral* doc = ventana_.documento();
    const TOrdenesExternas& o = ventana_.ordenes();
    if (doc && o.imprimirGrupos) o.imprimirGrupos(*doc);
}

}  // namespace koral

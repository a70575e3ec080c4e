// Stand-ins for the file dialogs and the desktop services: they record every
// call and answer from queues the test fills.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/DialogosArchivo.h"
#include "platform/qt/Escritorio.h"

namespace koral::prueba {

class EjecutorGuion : public EjecutorDialogos {
public:
    EjecutorGuion() : anterior_(instalarEjecutorDialogos(this)) {}
    ~EjecutorGuion() override { instalarEjecutorDialogos(anterior_); }

    bool abrir(TDialogoArchivo& d) override { return responder("abrir", d); }
    bool guardar(TDialogoArchivo& d) override { return responder("guardar", d); }
    bool imprimir(TDialogoImpresion& d) override {
        impresiones.push_back(d);
        if (aArchivo.empty()) return false;
        const auto r = aArchivo.front();
        aArchivo.pop_front();
        if (!r) return false;
        d.aArchivo = *r;
        return true;
    }

    struct Llamada {
        std::string tipo;
        TDialogoArchivo dialogo;  // as the caller handed it over
    };
    std::vector<Llamada> llamadas;
    std::vector<TDialogoImpresion> impresiones;  // as each print dialog was shown
    // Print dialog answers: the print-to-file box, or cancelled.
    std::deque<std::optional<bool>> aArchivo;
    std::deque<std::optional<std::string>> rutas;  // chosen path, or cancelled
    std::deque<int> tipos;                         // chosen file type (1-based), if queued

private:
    bool responder(const char* tipo, TDialogoArchivo& d) {
        llamadas.push_back({tipo, d});
        if (rutas.empty() || !rutas.front()) {
            if (!rutas.empty()) rutas.pop_front();
            return false;
        }
        d.nombreArchivo = *rutas.front();
        rutas.pop_front();
        if (!tipos.empty()) {
            d.indiceFiltro = tipos.front();
            tipos.pop_front();
        }
        return true;
    }
    EjecutorDialogos* anterior_;
};

class EscritorioGuion : public Escritorio {
public:
    EscritorioGuion() : anterior_(instalarEscritorio(this)) {}
    ~EscritorioGuion() override { instalarEscritorio(anterior_); }

    void cajaMensaje(const std::string& titulo, const std::string& texto) override {
        titulos.push_back(titulo);
        cajas.push_back(texto);
    }
    // Kept as given (UTF-8) beside the Windows-1252 ones.
    void cajaMensajeUtf8(const std::string& titulo, const std::string& texto) override {
        titulos.push_back(titulo);
        cajas.push_back(texto);
    }
    bool abrirConSistema(const std::string& ruta) override {
        abiertos.push_back(ruta);
        return abrirFunciona;
    }

    std::vector<std::string> titulos;
    std::vector<std::string> cajas;  // Windows-1252
    std::vector<std::string> abiertos;
    bool abrirFunciona = true;

private:
    Escritorio* anterior_;
};

}  // namespace koral::prueba

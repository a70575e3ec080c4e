// The pages the workers see: the questionnaire as one HTML form built from
// the program's own questionnaire texts, and the pages that answer it.
// Plain HTML and CSS in UTF-8, nothing from outside, one small inline script
// (allowed by its hash alone); every text that comes from the company or from
// a request is escaped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/Campana.h"
#include "document/UData.h"

namespace koral::red {

struct DatosFormulario {
    std::string empresa;              // Windows-1252
    std::vector<std::string> grupos;  // Windows-1252 names of the groups offered
    // When not empty, `grupos` is these questions' groups one after another,
    // and each question is asked as one choice, its radio buttons named
    // "grupo1", "grupo2", ... (a radio group needs a name of its own).
    std::vector<TPreguntaGrupos> preguntas;
    std::string aviso;              // the information notice, Windows-1252, one paragraph a line
    std::string campana;            // names the draft the browser keeps: never the code
    bool codigoIndividual = false;  // single-use codes instead of the campaign's
    bool codigoNumerico = false;    // digits only: phones show their number pad
};

// What a form sent back shows again when it could not be accepted.
struct Marcas {
    Respuestas respuestas;     // '0': none marked
    std::vector<bool> grupos;  // one per offered group
    std::string codigo;        // UTF-8, as typed
    std::string aviso;         // UTF-8, shown above the form
    std::vector<int> faltan;   // items left blank, listed and marked
    bool confirmar = false;    // offers to send the blank items as they are
};

// `envio`: the one-time token the form sends back.
std::string paginaFormulario(const DatosFormulario& d, std::string_view envio,
                             const Marcas* marcas = nullptr);
// `sinRespuesta`: how many items were left blank.
std::string paginaGracias(int sinRespuesta = 0);

// What the form tells the workers unless the assessor wrote otherwise
// (Windows-1252 in and out, one paragraph a line). `responsable` runs the
// assessment (empty: the company itself); `minimo`: the smallest group whose
// results are given.
std::string avisoPorDefecto(const std::string& empresa, const std::string& responsable, int minimo);
// A short page with a heading and one paragraph (our own UTF-8 texts).
std::string paginaMensaje(std::string_view titulo, std::string_view texto);

// `texto` (UTF-8) with & < > " ' as character references.
std::string escaparHtml(std::string_view texto);

// The Content-Security-Policy of every page: nothing from anywhere, the
// pages' own scripts allowed by their hashes.
const std::string& politicaSeguridad();

// SHA-256 of `datos`, in base64.
std::string sha256Base64(std::string_view datos);

}  // namespace koral::red

// A collection campaign kept with its company until the assessor closes it,
// so that it can run over several days and survive "Terminar" and a crash:
// section "campana" of the companion file. Also the questionnaires that
// arrived by the network (section "recogidos"), which double entry does not
// count as waiting to be verified. Texts are Windows-1252 in memory, UTF-8
// in the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace koral {

class TAcompanante;

// A question that offers some of the company's groups, one to choose.
struct TPreguntaGrupos {
    std::string pregunta;             // as the assessor names it ("Departamento")
    std::vector<std::string> grupos;  // group names, in the order offered
};

struct TCodigoIndividual {
    std::string hash;  // hashCodigo(sal, code): the code itself is never kept
    bool usado = false;
};

struct TCampanaGuardada {
    std::string codigo;  // the campaign code, UTF-8, as the worker types it
    // Empty: every group of the company is offered as one list of check
    // boxes (as before questions existed).
    std::vector<TPreguntaGrupos> preguntas;
    std::string aviso;                       // the information notice; empty: the default one
    std::string sal;                         // random, hex; salts the single-use codes' hashes
    std::vector<TCodigoIndividual> codigos;  // none: the campaign code is used
    int recibidas = 0;                       // answers stored in this campaign
    double empezada = 0;                     // day it was first started
    // The address printed on its code cards, so that later starts offer it
    // again; empty when none were printed.
    std::string direccion;
    // The questionnaires this campaign brought, sorted: its per-group counts.
    std::vector<std::int32_t> ids;

    bool operator==(const TCampanaGuardada&) const;
};

// Salted SHA-256 of a single-use code, lowercase hex.
std::string hashCodigo(const std::string& sal, const std::string& codigo);

// nullopt when the companion keeps no campaign or an unreadable one (a
// campaign without a code and without single-use codes is unreadable).
std::optional<TCampanaGuardada> campanaGuardada(const TAcompanante& acompanante);
void ponerCampana(TAcompanante& acompanante, const TCampanaGuardada& campana);
void quitarCampana(TAcompanante& acompanante);

// The ids of the questionnaires collected by the network, sorted.
std::vector<std::int32_t> recogidos(const TAcompanante& acompanante);
void anadirRecogidos(TAcompanante& acompanante, const std::vector<std::int32_t>& ids);
// Both: the company's list and the campaign's own (written by ponerCampana).
void anadirRecogidos(TAcompanante& acompanante, TCampanaGuardada& campana,
                     const std::vector<std::int32_t>& ids);

}  // namespace koral

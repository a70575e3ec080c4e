// Which questionnaires of a company were verified by double entry. Kept in
// the company's companion file (section "verificados": identifier ->
// answers), so that the company file's format does not change and the marks
// travel with the company's folder; each mark holds the answers it vouches
// for, so that answers changed by any means afterwards, even by another
// program, lose it. Older versions kept them in ".NAME.kr2.verificados",
// which is read while the companion has no marks and goes once they are in it.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "document/Acompanante.h"
#include "document/UData.h"

namespace koral {

class TVerificados {
public:
    static constexpr const char* kSeccion = "verificados";

    // The older record's path for company file `archivoEmpresa`: beside the
    // file a link points to, as the company is saved there. Throws ErrorArchivo.
    static std::string ruta(const std::string& archivoEmpresa);

    // Replaces the marks with those of the companion's section, or, when it
    // has none, of the older record beside doc's file, that name a
    // questionnaire of doc (marks older or newer than the company, a backup
    // put back, may name others). Returns how many entries could not be read
    // (they are left out). Throws ErrorArchivo when the older record exists
    // and cannot be read.
    int leer(const TKoral& doc, const TAcompanante& acompanante);
    // Puts the marks that still hold for `doc` into the companion, or takes
    // the section away when none holds.
    void poner(const TKoral& doc, TAcompanante& acompanante) const;
    // Removes the older record beside doc's file, once the companion holds
    // its marks. Throws ErrorArchivo.
    static void borrarAntiguo(const TKoral& doc);
    // Writes the marks that still hold into the older record (while the
    // companion may not be written), or removes it when none holds. Throws
    // ErrorArchivo; a failed write leaves the previous record whole.
    void guardar(const TKoral& doc) const;

    void vaciar() { marcas_.clear(); }
    // Marks q as verified with its present answers.
    void marcar(const TCuestionario& q) { marcas_[q.id] = q.respuestas; }
    void quitar(const TCuestionario& q) { marcas_.erase(q.id); }
    // Marked, and its answers are those that were verified.
    bool verificado(const TCuestionario& q) const;
    int cuenta(const TKoral& doc) const;

private:
    std::vector<const TCuestionario*> vigentes(const TKoral& doc) const;
    int leerAntiguo(const TKoral& doc);
    int leerSeccion(const std::string& json);

    std::unordered_map<std::int32_t, Respuestas> marcas_;
};

}  // namespace koral

// Which questionnaires of a company were verified by double entry. Kept
// beside the company file (".NAME.kr2.verificados"), so that the company
// file's format does not change and the marks travel with the company's
// folder; each mark holds the answers it vouches for, so that answers
// changed by any means afterwards, even by another program, lose it.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "document/UData.h"

namespace koral {

class TVerificados {
public:
    // The record's path for company file `archivoEmpresa`: beside the file a
    // link points to, as the company is saved there. Throws ErrorArchivo.
    static std::string ruta(const std::string& archivoEmpresa);

    // Replaces the marks with those of the record beside doc's file that
    // name a questionnaire of doc (a record older or newer than the company,
    // a backup put back, may name others). Returns how many lines could not
    // be read (they are left out). Throws ErrorArchivo when the record
    // exists and cannot be read.
    int leer(const TKoral& doc);
    // Writes the marks that still hold for `doc` beside its file, or removes
    // the record when none holds. Throws ErrorArchivo; a failed write leaves
    // the previous record whole.
    void guardar(const TKoral& doc) const;

    void vaciar() { marcas_.clear(); }
    // Marks q as verified with its present answers.
    void marcar(const TCuestionario& q) { marcas_[q.id] = q.respuestas; }
    void quitar(const TCuestionario& q) { marcas_.erase(q.id); }
    // Marked, and its answers are those that were verified.
    bool verificado(const TCuestionario& q) const;
    int cuenta(const TKoral& doc) const;

private:
    std::unordered_map<std::int32_t, Respuestas> marcas_;
};

}  // namespace koral

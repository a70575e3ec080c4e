// Generated companies for benchmarks: N questionnaires, 10 groups, each
// questionnaire in 1-3 groups, 5 profiles.
#pragma once

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "document/UData.h"

namespace koral::banco {

// Opening a company reads bytes that have just come from the disk, not bytes
// left in the processor's cache by the previous round: between rounds,
// outside the timing, walk a buffer larger than the cache.
inline void enfriarCache() {
    static std::vector<char> barrido(64 << 20);
    for (std::size_t i = 0; i < barrido.size(); i += 64)
        barrido[i] = static_cast<char>(barrido[i] + 1);
    benchmark::DoNotOptimize(barrido.data());
}

inline void generarEmpresa(TKoral& doc, int nCuestionarios, unsigned semilla = 7) {
    std::mt19937 azar(semilla);
    doc.nombre = "Empresa generada";
    doc.ultimoId = 1;
    for (int g = 0; g < 10; ++g) {
        auto r = std::make_unique<TGrupo>();
        r->id = ++doc.ultimoId;
        r->nombre = "Grupo " + std::to_string(g + 1);
        r->fecha = 45000;
        doc.grupos.push_back(std::move(r));
    }
    doc.cuestionarios.reserve(static_cast<std::size_t>(nCuestionarios));
    for (int i = 0; i < nCuestionarios; ++i) {
        auto q = std::make_unique<TCuestionario>();
        q->id = ++doc.ultimoId;
        q->nombre = "Trabajador " + std::to_string(i + 1);
        q->fecha = 45000 + i % 400;
        for (int k = 0; k < kNumItems; ++k)
            q->respuestas[k] = static_cast<char>('0' + azar() % (opcionesItem(k + 1) + 1));
        for (double& s : q->puntuaciones) s = (azar() % 100000) / 10000.0;
        const int n = 1 + static_cast<int>(azar() % 3);
        for (int k = 0; k < n; ++k) enlazar(*q, *doc.grupos[azar() % 10]);
        doc.cuestionarios.push_back(std::move(q));
    }
    for (int p = 0; p < 5; ++p) {
        auto r = std::make_unique<TPerfil>();
        r->id = ++doc.ultimoId;
        r->nombre = "Perfil " + std::to_string(p + 1);
        r->fecha = 45000;
        r->grupos.push_back(doc.grupos[static_cast<std::size_t>(p)].get());
        r->descripcion = "Descripci\xF3n\r\nde dos l\xEDneas";  // Windows-1252, as texts are kept
        doc.perfiles.push_back(std::move(r));
    }
    doc.nGrupos = static_cast<std::int32_t>(doc.grupos.size());
    doc.nCuestionarios = static_cast<std::int32_t>(doc.cuestionarios.size());
    doc.nPerfiles = static_cast<std::int32_t>(doc.perfiles.size());
}

}  // namespace koral::banco

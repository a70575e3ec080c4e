#include "exchange/Importar.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "document/IndiceHash.h"
#include "method/Puntuacion.h"
#include "platform/Archivos.h"
#include "platform/Texto.h"

namespace koral {

Elemento LeeElemento(std::string_view linea, std::size_t& pos) {
    std::size_t p = pos;
    while (p < linea.size() && (linea[p] == ' ' || linea[p] == ',')) ++p;
    if (p >= linea.size()) return {};
    const char c = linea[p];
    if (c == '"') {
        const std::size_t inicio = p + 1;
        std::size_t fin = linea.find('"', inicio);
        // An unterminated quote takes the rest of the line.
        if (fin == std::string_view::npos) fin = linea.size();
        pos = std::min(fin + 1, linea.size());
        return {Elemento::Texto, linea.substr(inicio, fin - inicio)};
    }
    if (c >= '0' && c <= '9') {
        pos = p + 1;
        return {Elemento::Digito, linea.substr(p, 1)};
    }
    return {};
}

namespace {

// Out of order, the import gave up: it is to be done again in order.
struct SinOrden {};

class Importacion {
public:
    // `previstas`: how many lines may come, so that the index need not grow
    // (and move every entry) again and again. In order, each line's name is
    // looked up as it comes; otherwise every line makes its questionnaire,
    // its name's hash is noted, and nombresRepetidos() tells at the end
    // whether that was wrong.
    Importacion(TKoral& doc, const std::function<void(const std::string&)>& anota,
                std::size_t previstas, bool enOrden)
        : doc_(doc),
          anota_(anota),
          enOrden_(enOrden),
          cuestionarios_(enOrden ? doc.cuestionarios.size() + previstas : 0),
          grupos_(doc.grupos.size()) {
        if (enOrden) {
            // Names are looked up once per line: index what the company has.
            for (const auto& q : doc.cuestionarios) indexarPorNombre(cuestionarios_, q.get());
        } else {
            hashes_.reserve(doc.cuestionarios.size() + previstas);
            for (const auto& q : doc.cuestionarios) hashes_.push_back(hashTexto(q->nombre));
        }
        for (const auto& g : doc.grupos) indexarPorNombre(grupos_, g.get());
    }

    // Whether two of the company's questionnaires share a name now.
    bool nombresRepetidos() const {
        return koral::nombresRepetidos(doc_.cuestionarios, hashes_,
                                       [](std::string_view n) { return hashTexto(n); });
    }

    void linea(std::string_view l) {
        // An empty line (a blank line at the end of a file, say) is passed
        // over; it is no questionnaire and no error worth a log line.
        if (l.empty()) return;
        std::size_t pos = 0;
        Elemento e = LeeElemento(l, pos);
        if (e.tipo != Elemento::Texto) {
            anota_("Error en línea"_cp);
            return;
        }
        // Looked up where it lies in the line: hashing a fresh copy makes the
        // processor wait for the copy.
        const std::string_view nombre = e.texto.substr(0, kLargoNombre);
        const std::uint64_t h = IndiceHash<TCuestionario>::hashTexto(nombre);
        if (enOrden_ && cuestionarios_.buscar(
                            h, [nombre](const TCuestionario* o) { return o->nombre == nombre; })) {
            anota_("Error en línea. Cuestionario ya existe"_cp);
            return;
        }
        comprobarIds();
        TCuestionario* q = doc_.crearCuestionario(std::string(nombre));
        if (!q) return;  // no identifiers left; the document said so
        if (enOrden_)
            indexarPorNombre(cuestionarios_, q, h);
        else
            hashes_.push_back(h);

        Enlazador enlaces;  // a line may name thousands of groups
        e = LeeElemento(l, pos);
        while (e.tipo == Elemento::Texto) {
            if (!e.texto.empty()) {
                // A repeated name links once.
                if (TGrupo* g = grupo(e.texto)) enlaces.enlazar(*q, *g);
            }
            e = LeeElemento(l, pos);
        }
        // The usual line: every answer a digit after a comma, ",d,d,d...".
        // Read in one sweep; anything else takes the general road below.
        constexpr std::size_t kResto = std::size_t{2} * (kNumItems - 1);  // ",d" after the first
        if (e.tipo == Elemento::Digito && l.size() - pos >= kResto) {
            bool usual = true;
            for (std::size_t k = 0; k < kResto; k += 2)
                usual &= l[pos + k] == ',' && l[pos + k + 1] >= '0' && l[pos + k + 1] <= '9';
            if (usual) {
                for (int i = 0; i < kNumItems; ++i) {
                    const char c =
                        i == 0 ? e.texto[0] : l[pos + 2 * static_cast<std::size_t>(i) - 1];
                    q->respuestas[i] = c - '0' <= maximoRespuesta[i + 1] ? c : '0';
                }
                puntuarCuestionario(*q);
                return;
            }
        }
        for (int i = 0; i < kNumItems; ++i) {
            if (e.tipo == Elemento::Digito) {
                // A digit above the item's options would turn into '0' the next
                // time the company file is read: store what will be kept.
                const char c = e.texto[0];
                q->respuestas[i] = c - '0' <= maximoRespuesta[i + 1] ? c : '0';
            }
            e = LeeElemento(l, pos);
        }
        puntuarCuestionario(*q);
    }

private:
    // The notice of identifiers run out is the document's own, told at once:
    // out of order it could be one that a repeated name would have spared.
    void comprobarIds() const {
        if (!enOrden_ && doc_.ultimoId == std::numeric_limits<std::int32_t>::max())
            throw SinOrden();
    }

    // The group of that name, made when the company has none. Names longer
    // than a record keeps are looked up as they would be stored.
    TGrupo* grupo(std::string_view texto) {
        const std::string_view n = texto.substr(0, kLargoNombre);
        if (TGrupo* g = buscarPorNombre(grupos_, n)) return g;
        comprobarIds();
        TGrupo* g = doc_.crearGrupo(std::string(n));
        if (g) indexarPorNombre(grupos_, g);
        return g;
    }

    TKoral& doc_;
    const std::function<void(const std::string&)>& anota_;
    const bool enOrden_;
    IndiceHash<TCuestionario> cuestionarios_;  // in order
    std::vector<std::uint64_t> hashes_;        // out of order, of every name
    IndiceHash<TGrupo> grupos_;
};

// What an import changes in a company, to put back when it has to be done
// again in order. Questionnaires and groups are only added, at the end of
// their lists, and members only added at the end of a group's.
class Deshacer {
public:
    explicit Deshacer(TKoral& doc)
        : doc_(doc),
          cuestionarios_(doc.cuestionarios.size()),
          grupos_(doc.grupos.size()),
          ultimoId_(doc.ultimoId),
          nCuestionarios_(doc.nCuestionarios),
          nGrupos_(doc.nGrupos) {
        miembros_.reserve(doc.grupos.size());
        for (const auto& g : doc.grupos) miembros_.push_back(g->cuestionarios.size());
    }
    void operator()() const {
        for (std::size_t i = 0; i < miembros_.size(); ++i)
            doc_.grupos[i]->cuestionarios.resize(miembros_[i]);
        doc_.grupos.erase(doc_.grupos.begin() + static_cast<std::ptrdiff_t>(grupos_),
                          doc_.grupos.end());
        doc_.cuestionarios.erase(
            doc_.cuestionarios.begin() + static_cast<std::ptrdiff_t>(cuestionarios_),
            doc_.cuestionarios.end());
        doc_.ultimoId = ultimoId_;
        doc_.nCuestionarios = nCuestionarios_;
        doc_.nGrupos = nGrupos_;
    }

private:
    TKoral& doc_;
    std::size_t cuestionarios_, grupos_;
    std::vector<std::size_t> miembros_;
    std::int32_t ultimoId_, nCuestionarios_, nGrupos_;
};

// Looking each line's name up in an index of the whole company made the
// import wait on a far cell at every line, longer the larger the company.
// It runs out of order first (see Importacion), its line notices held back;
// a repeated name, or identifiers running out, puts the company back as it
// was and runs it again in order, as it always ran. `pasada(imp)` reads the
// whole input into `imp`, from its start; `volver()` takes the input back to
// its start, false when it cannot (then the import runs in order at once).
template <typename Pasada, typename Volver>
void importarTodo(TKoral& doc, const std::function<void(const std::string&)>& anota,
                  std::size_t previstas, Pasada pasada, Volver volver) {
    if (volver()) {
        std::vector<std::string> retenidas;
        const std::function<void(const std::string&)> retener = [&retenidas](const std::string& t) {
            retenidas.push_back(t);
        };
        const Deshacer deshacer(doc);
        bool repetidos = false;
        try {
            Importacion imp(doc, retener, previstas, false);
            try {
                pasada(imp);
            } catch (const SinOrden&) {
                throw;
            } catch (...) {
                // What was read so far stays, as in order, unless a name repeats.
                if (!imp.nombresRepetidos()) {
                    for (const std::string& t : retenidas) anota(t);
                    throw;
                }
                repetidos = true;
            }
            if (!repetidos && !imp.nombresRepetidos()) {
                for (const std::string& t : retenidas) anota(t);
                return;
            }
        } catch (const SinOrden&) {
        }
        deshacer();
        volver();
    }
    Importacion imp(doc, anota, previstas, true);
    pasada(imp);
}

}  // namespace

namespace {

// A file to import that cannot be read, as the user is told.
ErrorArchivo errorLectura(const ErrorArchivo& e) {
    return ErrorArchivo("No se puede leer el archivo a importar (" + std::string(e.what()) + ")");
}

// The lines of `datos`, each ended by its LF or by the end of `datos`;
// false when a Ctrl-Z at a line's start ended the file.
bool importarLineas(Importacion& imp, std::string_view datos, std::string& linea) {
    std::size_t p = 0;
    const std::size_t n = datos.size();
    while (p < n) {
        if (datos[p] == 26) return false;  // Ctrl-Z at a line's start ends the file
        const char* inicio = datos.data() + p;
        const void* lf = std::memchr(inicio, '\n', n - p);
        const std::size_t fin =
            lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - datos.data()) : n;
        // The line's text: a Ctrl-Z ends it, and every CR is dropped (a CR
        // before the LF ends the line with it; a lone one is no character).
        // The usual line, with no CR but its last character and no Ctrl-Z,
        // is read where it lies.
        std::size_t i = p;
        while (i < fin && datos[i] != '\r' && datos[i] != 26) ++i;
        if (i == fin || (i + 1 == fin && datos[i] == '\r')) {
            imp.linea(datos.substr(p, i - p));
        } else {
            linea.assign(datos.data() + p, i - p);
            for (; i < fin && datos[i] != 26; ++i)
                if (datos[i] != '\r') linea += datos[i];
            imp.linea(linea);
        }
        p = fin + 1;
    }
    return true;
}

}  // namespace

void importarContenido(TKoral& doc, std::string_view datos,
                       const std::function<void(const std::string&)>& anota) {
    // About how many lines the file holds (a line with a name, a group and
    // every answer takes some 200 bytes); the index grows past it if need be.
    std::string linea;
    importarTodo(
        doc, anota, datos.size() / 200,
        [&](Importacion& imp) { importarLineas(imp, datos, linea); }, [] { return true; });
}

std::unique_ptr<EntradaArchivo> abrirParaImportar(const std::string& ruta) {
    SistemaArchivos& fs = archivos();
    if (!fs.existe(ruta)) throw ErrorArchivo("No existe el archivo " + textoMostrable(ruta));
    try {
        return fs.abrirLectura(ruta);
    } catch (const ErrorArchivo& e) {
        throw errorLectura(e);
    }
}

void importarEntrada(TKoral& doc, const std::string& ruta, EntradaArchivo& entrada,
                     const std::function<void(const std::string&)>& anota,
                     const std::function<void(std::size_t, std::size_t)>& avance) {
    const std::string mostrable = textoMostrable(ruta);
    anota("Procesando el archivo " + mostrable);
    // A megabyte at a time, whole lines handed on and the unfinished last
    // one kept for the next piece (the buffer doubling for a longer line).
    constexpr std::size_t kTrozo = 1 << 20;
    std::string buf;
    std::string linea;
    const auto pasada = [&](Importacion& imp) {
        buf.assign(kTrozo, '\0');
        std::size_t hay = 0;
        std::size_t leidos = 0;
        for (bool fin = false; !fin;) {
            if (buf.size() - hay < kTrozo / 2) buf.resize(buf.size() * 2);
            std::size_t n = 0;
            try {
                n = entrada.leer(buf.data() + hay, buf.size() - hay);
            } catch (const ErrorArchivo& e) {
                throw errorLectura(e);
            }
            fin = n == 0;
            leidos += n;
            if (avance) avance(leidos, std::max(leidos, entrada.tamano()));
            // What came before holds no line end (its lines were handed on):
            // the last one, if any, is among the new bytes.
            const std::size_t antes = hay;
            hay += n;
            const std::string_view leido(buf.data(), hay);
            const std::size_t ultimo = leido.substr(antes).rfind('\n');
            const std::size_t enteras =
                fin ? hay : (ultimo == std::string_view::npos ? 0 : antes + ultimo + 1);
            if (!importarLineas(imp, leido.substr(0, enteras), linea)) break;
            // Nothing to move while a long line comes in small pieces: moving
            // it onto itself at every piece made its reading quadratic.
            if (enteras > 0) std::memmove(buf.data(), buf.data() + enteras, hay - enteras);
            hay -= enteras;
        }
    };
    const auto volver = [&] {
        try {
            return entrada.reiniciar();
        } catch (const ErrorArchivo& e) {
            throw errorLectura(e);
        }
    };
    importarTodo(doc, anota, entrada.tamano() / 200, pasada, volver);
    anota("Archivo " + mostrable + " procesado");
}

void ProcesaArchivo(TKoral& doc, const std::string& ruta,
                    const std::function<void(const std::string&)>& anota,
                    const std::function<void(std::size_t, std::size_t)>& avance) {
    importarEntrada(doc, ruta, *abrirParaImportar(ruta), anota, avance);
}

}  // namespace koral

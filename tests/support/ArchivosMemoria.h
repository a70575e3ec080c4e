// An in-memory file system whose operations can be made to fail, to walk
// every failure path of saving and reading; it can also "die" at its Nth
// change, as a killed process would, to walk every instant of a save.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/Archivos.h"

namespace koral::prueba {

// Thrown at the step where the process "dies"; every later call throws it too
// (but removal, which cleanup runs from destructors, does nothing) and
// changes nothing, as nothing runs after a kill.
struct Muerte {};

class ArchivosMemoria : public SistemaArchivos {
public:
    ArchivosMemoria() : anterior_(instalarArchivos(this)) {}
    ~ArchivosMemoria() override { instalarArchivos(anterior_); }

    std::map<std::string, std::string> archivos;
    std::set<std::string> carpetas;
    std::set<std::string> otros;  // FIFOs, devices
    std::set<std::string> soloLecturas;
    std::map<std::string, std::string> enlaces;  // symbolic link -> target
    long fallarTrasBytes = -1;                   // writes fail once this many bytes are written
    bool fallarAlTerminar = false;               // flush/close fails
    bool fallarAlCrear = false;
    std::set<std::pair<std::string, std::string>> renombresFallidos;  // (from, to)
    bool fallarTodoRenombre = false;
    bool fallarRespaldo = false;
    bool fallarAlLeer = false;  // the file is there but cannot be read
    int morirEnPaso = -1;       // the change (counted from 0) at which the process dies
    int pasos = 0;              // changes made so far
    int temporales = 0;         // temporary files made so far

    TipoArchivo tipo(const std::string& ruta) override {
        paso(false);
        if (archivos.count(ruta)) return TipoArchivo::regular;
        if (carpetas.count(ruta)) return TipoArchivo::carpeta;
        return otros.count(ruta) ? TipoArchivo::otro : TipoArchivo::ninguno;
    }
    bool soloLectura(const std::string& ruta) override { return soloLecturas.count(ruta) > 0; }
    std::string destinoEnlaces(const std::string& ruta) override {
        std::string r = ruta;
        for (int i = 0; enlaces.count(r); ++i) {
            if (i == 40) throw ErrorArchivo("Too many levels of symbolic links: " + ruta);
            r = enlaces.at(r);
        }
        return r;
    }
    bool borrar(const std::string& ruta) override {
        if (muerto_) return false;
        paso();
        return archivos.erase(ruta) > 0;
    }
    bool renombrar(const std::string& de, const std::string& a) override {
        paso();
        if (fallarTodoRenombre || renombresFallidos.count({de, a}) || !archivos.count(de))
            return false;
        archivos[a] = std::move(archivos[de]);
        archivos.erase(de);
        return true;
    }
    bool respaldar(const std::string& de, const std::string& a) override {
        paso();
        if (fallarRespaldo || !archivos.count(de)) return false;
        archivos[a] = archivos[de];
        return true;
    }
    void sincronizarCarpeta(const std::string&) override { paso(); }
    std::string leerTodo(const std::string& ruta) override {
        paso(false);
        const auto it = archivos.find(ruta);
        if (it == archivos.end()) throw ErrorArchivo("No such file or directory: " + ruta);
        if (fallarAlLeer) throw ErrorArchivo("Input/output error: " + ruta);
        return it->second;
    }
    std::unique_ptr<SalidaArchivo> crearNuevo(const std::string& ruta) override {
        paso();
        if (fallarAlCrear || archivos.count(ruta)) throw ErrorArchivo("Permission denied: " + ruta);
        archivos[ruta];
        return std::make_unique<Salida>(*this, ruta);
    }
    std::unique_ptr<SalidaArchivo> crearTemporal(const std::string& destino,
                                                 std::string& ruta) override {
        paso();
        if (fallarAlCrear) throw ErrorArchivo("Permission denied: " + destino);
        ruta = destino + ".~tmp" + std::to_string(++temporales);
        archivos[ruta];
        return std::make_unique<Salida>(*this, ruta);
    }
    void limpiarTemporales(const std::string& destino) override {
        paso();
        // Here every temporary file that no write holds open is a dead one's.
        const std::string prefijo = destino + ".~tmp";
        for (auto it = archivos.lower_bound(prefijo);
             it != archivos.end() && it->first.rfind(prefijo, 0) == 0;)
            it = abiertos_.count(it->first) ? std::next(it) : archivos.erase(it);
    }
    bool mismoArchivo(const std::string& a, const std::string& b) override {
        const std::string da = destinoEnlaces(a);
        return archivos.count(da) && da == destinoEnlaces(b);
    }

private:
    void paso(bool cambia = true) {
        if (muerto_) throw Muerte{};
        if (!cambia) return;
        if (pasos++ == morirEnPaso) {
            muerto_ = true;
            throw Muerte{};
        }
    }

    class Salida : public SalidaArchivo {
    public:
        Salida(ArchivosMemoria& fs, std::string ruta) : fs_(fs), ruta_(std::move(ruta)) {
            fs_.abiertos_.insert(ruta_);
        }
        ~Salida() override { fs_.abiertos_.erase(ruta_); }
        void escribir(const char* datos, std::size_t n) override {
            fs_.paso();
            std::string& destino = fs_.archivos[ruta_];
            if (fs_.fallarTrasBytes >= 0 &&
                destino.size() + n > static_cast<std::size_t>(fs_.fallarTrasBytes)) {
                destino.append(datos,
                               static_cast<std::size_t>(fs_.fallarTrasBytes) - destino.size());
                throw ErrorArchivo("No space left on device: " + ruta_);
            }
            destino.append(datos, n);
        }
        void terminar() override {
            fs_.paso();
            if (fs_.fallarAlTerminar) throw ErrorArchivo("Input/output error: " + ruta_);
        }

    private:
        ArchivosMemoria& fs_;
        std::string ruta_;
    };

    SistemaArchivos* anterior_;
    bool muerto_ = false;
    std::set<std::string> abiertos_;
};

}  // namespace koral::prueba

// An in-memory file system whose operations can be made to fail, to walk
// every failure path of saving and reading.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/Archivos.h"

namespace koral::prueba {

class ArchivosMemoria : public SistemaArchivos {
public:
    ArchivosMemoria() : anterior_(instalarArchivos(this)) {}
    ~ArchivosMemoria() override { instalarArchivos(anterior_); }

    std::map<std::string, std::string> archivos;
    std::set<std::string> carpetas;
    long fallarTrasBytes = -1;        // writes fail once this many bytes are written
    bool fallarAlTerminar = false;    // flush/close fails
    bool fallarAlCrear = false;
    std::set<std::pair<std::string, std::string>> renombresFallidos;  // (from, to)
    bool fallarTodoRenombre = false;
    bool fallarAlLeer = false;  // the file is there but cannot be read

    bool existe(const std::string& ruta) override { return archivos.count(ruta) > 0 || carpetas.count(ruta) > 0; }
    bool esCarpeta(const std::string& ruta) override { return carpetas.count(ruta) > 0; }
    bool borrar(const std::string& ruta) override { return archivos.erase(ruta) > 0; }
    bool renombrar(const std::string& de, const std::string& a) override {
        if (fallarTodoRenombre || renombresFallidos.count({de, a}) || !archivos.count(de))
            return false;
        archivos[a] = std::move(archivos[de]);
        archivos.erase(de);
        return true;
    }
    std::string leerTodo(const std::string& ruta) override {
        const auto it = archivos.find(ruta);
        if (it == archivos.end()) throw ErrorArchivo("No such file or directory: " + ruta);
        if (fallarAlLeer) throw ErrorArchivo("Input/output error: " + ruta);
        return it->second;
    }
    std::unique_ptr<SalidaArchivo> crearNuevo(const std::string& ruta) override {
        if (fallarAlCrear || archivos.count(ruta)) throw ErrorArchivo("Permission denied: " + ruta);
        archivos[ruta];
        return std::make_unique<Salida>(*this, ruta);
    }
    std::unique_ptr<SalidaArchivo> crearOVaciar(const std::string& ruta) override {
        if (fallarAlCrear) throw ErrorArchivo("Permission denied: " + ruta);
        archivos[ruta].clear();
        return std::make_unique<Salida>(*this, ruta);
    }

private:
    class Salida : public SalidaArchivo {
    public:
        Salida(ArchivosMemoria& fs, std::string ruta) : fs_(fs), ruta_(std::move(ruta)) {}
        void escribir(const char* datos, std::size_t n) override {
            std::string& destino = fs_.archivos[ruta_];
            if (fs_.fallarTrasBytes >= 0 &&
                destino.size() + n > static_cast<std::size_t>(fs_.fallarTrasBytes)) {
                destino.append(datos, static_cast<std::size_t>(fs_.fallarTrasBytes) - destino.size());
                throw ErrorArchivo("No space left on device: " + ruta_);
            }
            destino.append(datos, n);
        }
        void terminar() override {
            if (fs_.fallarAlTerminar) throw ErrorArchivo("Input/output error: " + ruta_);
        }

    private:
        ArchivosMemoria& fs_;
        std::string ruta_;
    };

    SistemaArchivos* anterior_;
};

}  // namespace koral::prueba

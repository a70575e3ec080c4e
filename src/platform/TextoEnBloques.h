// Text built in a buffer and handed on in blocks of about a megabyte: a
// destination (a file, a stream) taken a few characters at a time costs more
// than the text itself. The company file's writer and the JSON dump build on it.
#pragma once

#include <charconv>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace koral {

class TextoEnBloques {
public:
    using Destino = std::function<void(const char* datos, std::size_t n)>;

    explicit TextoEnBloques(Destino destino) : destino_(std::move(destino)) {
        buf_.reserve(kBloque + 4096);
    }

    void texto(std::string_view t) { buf_.append(t); }
    void caracter(char c) { buf_ += c; }
    void entero(std::int32_t v) {
        char tmp[16];
        const auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
        buf_.append(tmp, static_cast<std::size_t>(r.ptr - tmp));
    }
    // Hands the text on once it holds a block; called between records, so
    // that a block holds whole ones.
    void quizaVaciar() {
        if (buf_.size() >= kBloque) vaciar();
    }
    void vaciar() {
        if (!buf_.empty()) destino_(buf_.data(), buf_.size());
        buf_.clear();
    }

protected:
    static constexpr std::size_t kBloque = std::size_t{1} << 20;
    std::string buf_;  // written straight into by what builds on it

private:
    Destino destino_;
};

}  // namespace koral

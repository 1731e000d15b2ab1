#pragma once

// Switches the C and the C++ global locale to German while it lives, so that
// tests can show that texts of numbers ignore the locale. The set-up script
// generates de_DE.UTF-8; a system without it fails those tests.

#include <clocale>
#include <locale>
#include <optional>
#include <stdexcept>
#include <string>

namespace Brintavolex::TestSupport {

class GermanLocale
{
public:
    GermanLocale()
    {
        static const char *const names[] = {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252"};
        for (const char *name : names) {
            try {
                _previousGlobal = std::locale::global(std::locale(name));
                _cxx = name;
                break;
            } catch (const std::runtime_error &) {
            }
        }
        _previousC = std::setlocale(LC_ALL, nullptr);
        for (const char *name : names) {
            if (std::setlocale(LC_ALL, name)) {
                _c = name;
                break;
            }
        }
    }
    ~GermanLocale()
    {
        if (_previousGlobal)
            std::locale::global(*_previousGlobal);
        std::setlocale(LC_ALL, _previousC.c_str());
    }
    GermanLocale(const GermanLocale &) = delete;
    GermanLocale &operator=(const GermanLocale &) = delete;

    // MinGW's C++ library knows no locale but "C": there only the C one.
    bool Active() const
    {
#ifdef _WIN32
        return !_c.empty();
#else
        return !_c.empty() && !_cxx.empty();
#endif
    }
    bool HasCxx() const { return !_cxx.empty(); }
    std::string Describe() const
    {
        return "German locale: C++ '" + _cxx + "', C '" + _c + "' (tools/setup-debian.sh generates de_DE.UTF-8)";
    }

private:
    std::optional<std::locale> _previousGlobal;
    std::string _previousC, _cxx, _c;
};

} // namespace Brintavolex::TestSupport

// A registry script of the module: the keys and values that registration creates and
// unregistration removes, with variables (%Module%) filled in. The text is cut into
// tokens first and the variables are filled in afterwards, inside the tokens, so a value
// such as a module path with a quote or a brace in it cannot change the script's shape.
//
//   HKCR
//   {
//       NoRemove CLSID                 kept on unregistration (made if missing)
//       {
//           ForceRemove {...} = s ''   removed with all below before it is made again,
//           {                          and removed on unregistration
//               InprocServer32 = s '%Module%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// Tokens are separated by blanks; a quoted token is 'text' with '' for a quote; a value
// is s (text) or d (a 32-bit number). Platform-free, so it is tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Marlin {

class RegistryScript {
public:
    enum class Removal {
        Plain,        // made on registration, removed on unregistration when nothing else is in it
        NoRemove,     // opened or made, never removed
        ForceRemove,  // removed with everything below, then made; removed on unregistration
    };
    struct Value {
        std::wstring name;  // empty: the key's default value
        bool isNumber = false;
        std::wstring text;
        uint32_t number = 0;
    };
    struct Key {
        std::wstring name;
        Removal removal = Removal::Plain;
        std::vector<Value> values;
        std::vector<Key> keys;
    };
    struct Root {
        std::wstring name;  // HKCR, HKEY_CLASSES_ROOT...
        std::vector<Key> keys;
    };
    using Variables = std::vector<std::pair<std::wstring, std::wstring>>;

    // Reads text with the variables (names compared without case; "%%" is a "%"). False
    // with a reason when the text is no script or names a variable it is not given.
    bool Parse(const std::wstring& text, const Variables& variables);

    const std::vector<Root>& Roots() const { return roots_; }
    const std::wstring& Error() const { return error_; }

private:
    std::vector<Root> roots_;
    std::wstring error_;
};

}  // namespace Marlin

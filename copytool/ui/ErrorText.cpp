#include "ErrorText.h"

#include "DisplayText.h"
#include "MessageText.h"
#include "PrintfText.h"
#include "QuantityText.h"
#include "ResourceText.h"
#include "SluiceException.h"
#include "SluiceExceptionNotFreeSpace.h"
#include "StringIds.h"
#include "WindowsFileException.h"

namespace Marlin {
namespace {

using Sluice::SluiceException;
using Sluice::SluiceExceptionNotFreeSpace;

std::wstring Formatted(HMODULE module, uint32_t id, std::initializer_list<FormatArgument> args) {
    std::wstring text;
    FormatResourceList(module, text, id, args);
    return text;
}

std::wstring EngineErrorDescription(const SluiceException& error, bool move, HMODULE module) {
    switch (error.type) {
    case SluiceException::Cancelled: {
        std::wstring text;
        LoadResourceString(text, IDS_ERROR_CANCELLED, module);
        return text;
    }
    case SluiceException::ElevationRequested:
    case SluiceException::EncryptionQuestion:
    case SluiceException::OverwriteQuestion:
        return std::wstring();
    case SluiceException::NotFreeSpace:
        // Only the exception of its own class knows the shortfall; a bare type 10 gets
        // the general text below rather than a made-up amount.
        if (const auto* space = dynamic_cast<const SluiceExceptionNotFreeSpace*>(&error))
            return Formatted(module, IDS_ERROR_NOT_FREE_SPACE, {SizeText(space->shortfall)});
        break;
    case SluiceException::DestinationInsideSource: {
        std::wstring text;
        LoadResourceString(text, IDS_ERROR_DESTINATION_IN_SOURCE, module);
        return text;
    }
    default:
        break;
    }
    // The type number is printed on its own, so the loaded text is never used as a format
    // a second time.
    std::wstring text = Formatted(module, IDS_ERROR_ENGINE, {OperationWord(move, module)});
    std::wstring number;
    if (FormatText(number, L"(%d)", {error.type})) text += number;
    return text;
}

}  // namespace

std::wstring WindowsErrorText(uint32_t code) {
    constexpr DWORD kCapacity = 1024;
    wchar_t buffer[kCapacity];
    // Inserts are left as they stand: the system texts of some codes contain "%1".
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                    MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, kCapacity, nullptr);
    if (length == 0 || length > kCapacity) return std::wstring();
    return MessageTextFromBuffer(buffer, length);
}

std::wstring ErrorPathLine(const Exception* error) {
    if (const auto* file = dynamic_cast<const WindowsFileException*>(error)) return file->path;
    return std::wstring();
}

std::wstring ErrorDescription(const Exception* error, bool move, HMODULE module) {
    if (const auto* engine = dynamic_cast<const SluiceException*>(error))
        return EngineErrorDescription(*engine, move, module);
    if (const auto* platform = dynamic_cast<const WindowsException*>(error)) return WindowsErrorText(platform->error);
    return Formatted(module, IDS_ERROR_UNKNOWN, {OperationWord(move, module)});
}

std::wstring ErrorMessageText(const Exception* error, bool move, HMODULE module) {
    std::wstring text = ErrorPathLine(error);
    if (!text.empty()) text += L"\n\n";
    text += ErrorDescription(error, move, module);
    return text;
}

}  // namespace Marlin

// The product codes of the supported models, compiled in from the build's
// model file.
#pragma once

#include <QtGlobal>

#include <array>
#include <cstddef>

namespace orvane {

struct ProductCodePair {
    quint8 byte10;
    quint8 byte11;
};

constexpr ProductCodePair kSupportedModels[] = {
#define ORVANE_SUPPORTED_MODEL(low, high) {low, high},
#include "orvane/monitor/SupportedModelsData.def"
#undef ORVANE_SUPPORTED_MODEL
};

constexpr std::size_t kSupportedModelCount = sizeof(kSupportedModels) / sizeof(kSupportedModels[0]);
static_assert(kSupportedModelCount == 9, "the model file must list nine product codes");

constexpr bool NoEmptyProductCode()
{
    for (const auto& pair : kSupportedModels)
        if (pair.byte10 == 0 && pair.byte11 == 0)
            return false;
    return true;
}
// An identity that could not be read has product code 0000; it must never
// count as a supported model.
static_assert(NoEmptyProductCode(), "product code 0x0000 cannot be a supported model");

}  // namespace orvane

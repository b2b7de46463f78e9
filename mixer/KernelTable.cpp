// The kernel table, built from the list of interpolations.
#include "mixer/KernelTable.h"

#include <array>

#include "mixer/MixModes.h"

namespace MixKernel {

namespace {

template<typename Interp, typename Sample, typename Gains>
constexpr KernelPair
Entry()
{
    return { &MixLoop<Sample, Interp, Gains, int32>, &MixLoop<Sample, Interp, Gains, int64> };
}

// Four entries an interpolation, in the order of KernelIndex's low bits.
template<typename... Interp>
constexpr auto
BuildTable(InterpolationList<Interp...>)
{
    std::array<KernelPair, 4 * sizeof...(Interp)> table {};
    size_t                                        n = 0;
    ((table[n++] = Entry<Interp, int8, ConstantGains>(),
         table[n++] = Entry<Interp, int16, ConstantGains>(),
         table[n++] = Entry<Interp, int8, RampGains>(),
         table[n++] = Entry<Interp, int16, RampGains>()),
        ...);
    return table;
}

constexpr auto kTable = BuildTable(Interpolations {});

}   // namespace


const KernelPair&
Kernels(uint32 index)
{
    return kTable[index < kTable.size() ? index : 0];
}

}   // namespace MixKernel

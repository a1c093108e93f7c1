// The machine config as the catalogue reads it: the input is the INI file.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "platform/machine_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumibench;
    const auto config = MachineConfig::Load(fuzz::AsFile(data, size, "machine.ini"));
    for (int k = 1; k <= 3; ++k) {
        config.value("Software\\Quillon\\Lumibench_PE-v1dot7\\Tools", "ToolActName" + std::to_string(k), 256);
    }
    return 0;
}

// The GLDF container reader over arbitrary bytes, in memory as it reads every
// container: zip directory, product.xml and the photometry members inside.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/gldf/gldf_container.h"
#include "formats/gldf/gldf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumibench;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const GldfReading reading = ReadGldfBytes(bytes, "input.gldf", /*noRepair=*/false);
    // The texts the host and the checker build from it.
    (void)GldfFailureMessages(reading);
    (void)GldfNoticeText(reading);
    return 0;
}

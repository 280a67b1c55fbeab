// FLI_LC: changes to a band of consecutive lines, as skips, literal runs and repeats.
#include "fli/ChunkReader.h"

namespace fli {

void DecodeFLI_LC(const DecodeContext& context, const unsigned char* data)
{
    detail::ChunkReader in(data, context.bufferEnd);
    if (!in.Has(4))
        return;
    const uint16_t firstLine = in.Int16();
    const uint16_t lineCount = in.Int16();
    size_t lineStart = static_cast<size_t>(firstLine) * kWidth;
    for (uint32_t line = 0; line < lineCount; ++line, lineStart += kWidth) {
        // Every write from here on would land past the last pixel and be dropped.
        if (lineStart >= static_cast<size_t>(kPixelCount))
            return;
        if (!in.Has(1))
            return;
        const unsigned packetCount = in.Byte();
        size_t position = lineStart;
        for (unsigned packet = 0; packet < packetCount; ++packet) {
            if (!in.Has(2))
                return;
            position += in.Byte();
            const int size = static_cast<signed char>(in.Byte());
            if (size > 0) {
                const size_t literal = static_cast<size_t>(size);
                const size_t available = std::min(literal, in.Remaining());
                detail::WriteLiteral(context, position, in.Position(), available);
                if (available < literal)
                    return;
                in.Skip(literal);
                position += literal;
            } else if (size < 0) {
                if (!in.Has(1))
                    return;
                const size_t repeat = static_cast<size_t>(-size);
                detail::WriteRun(context, position, context.palette[in.Byte()], repeat);
                position += repeat;
            }
            // Size 0 is an empty packet: real files use it to skip more than 255 pixels.
            // It adds its skip and carries no data byte.
        }
    }
}

} // namespace fli

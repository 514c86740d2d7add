#include "progressline.h"

#include <array>

#include "flashtexts.h"
#include "imageheader.h"
#include "textcatalogue.h"

namespace zelmark {

using namespace flashtext;

QString blockName(unsigned frame, std::uint8_t language) {
    if (frame > BlockCount) {
        return say(VectorBlock, language);
    }
    return say(CodeBlock, language).arg(frame).arg(BlockCount);
}

QString decimal(double value, int decimals, std::uint8_t language) {
    const QString text = QString::number(value, 'f', decimals);
    return language == LangDanish ? QString(text).replace(u'.', u',') : text;
}

QString progressLine(const TransferProgress& progress, double seconds, std::uint8_t language,
                     unsigned width) {
    const bool vectors = progress.frame > BlockCount;
    QString block =
        say(CodeBlock, language).arg(vectors ? BlockCount : progress.frame, 2).arg(BlockCount);
    if (vectors) {
        block += say(Vectors, language);
    }
    const double rate = seconds > 0 ? progress.byteCounter / seconds / 1000.0 : 0.0;
    // In the order they are shown; rank says which go first when the line is too long.
    struct Part {
        QString text;
        int rank;
    };
    const std::array<Part, 5> parts{{
        {block, 0},
        {say(Bytes, language).arg(progress.byteCounter, 6), 2},
        {decimal(rate, 1, language).rightJustified(5) + QStringLiteral(" kB/s"), 4},
        {decimal(seconds, 1, language).rightJustified(5) + QStringLiteral(" s"), 3},
        {say(Resends, language).arg(progress.resends), 1},
    }};
    for (int keep = 4; keep >= 0; --keep) {
        QString line;
        for (const Part& part : parts) {
            if (part.rank <= keep) {
                line += (line.isEmpty() ? QString() : QStringLiteral("  ")) + part.text;
            }
        }
        if (width == 0 || line.size() < static_cast<qsizetype>(width)) {
            return line;
        }
    }
    return width > 1 ? block.left(static_cast<qsizetype>(width) - 1) : QString();
}

}  // namespace zelmark

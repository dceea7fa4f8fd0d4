// The executable reader on arbitrary bytes: it reads the file or refuses it with EPeFormatError,
// and whatever it reads gives every byte one label.
#include "FuzzTarget.h"

#include "pe/PeImage.h"
#include "pe/PeLayout.h"

#include <cstdlib>

namespace {

void CheckAddsUp(const TPeSizeNode &node)
{
    if (node.Children.empty())
        return;
    uint64_t file = 0;
    uint64_t vm = 0;
    for (const TPeSizeNode &child : node.Children) {
        CheckAddsUp(child);
        file += child.FileSize;
        vm += child.VmSize;
    }
    if (file != node.FileSize || vm != node.VmSize)
        std::abort();
}

} // namespace

QUILLON_FUZZ_TARGET(PeImage)
{
    try {
        const TPeImage image = TPeImage::Parse(std::vector<uint8_t>(data, data + size));
        const TPeSizeNode tree = TPeLayout(image).Tree();
        if (tree.FileSize != size)
            std::abort();
        CheckAddsUp(tree);
        image.ResourceBytes("RCDATA", "PACKAGEINFO");
    } catch (const EPeFormatError &) {
    }
}

// skin-builder DESCRIPTION IMAGE-FOLDER OUTPUT
// Builds a skin file from its description (see SkinDescription.h) and the
// BMP pictures of the image folder; the output is written atomically.
#include <cstdio>
#include <string>

#include "common/File.h"
#include "tools/skin-builder/SkinDescription.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: skin-builder DESCRIPTION IMAGE-FOLDER OUTPUT\n");
    return 2;
  }
  const common::Path description = argv[1];
  const common::Path folder = argv[2];
  const common::Path output = argv[3];
  auto text = common::ReadWholeFile(description, 4u << 20);
  if (!text) {
    std::fprintf(stderr, "skin-builder: %s\n", text.error().message.c_str());
    return 1;
  }
  auto skin = skinbuilder::BuildSkin(*text, [&](const std::string& name) -> common::Result<skinbuilder::Bytes> {
    auto bytes = common::ReadWholeFile(folder / name, 16u << 20);
    if (!bytes) return bytes.error();
    return skinbuilder::Bytes(bytes->begin(), bytes->end());
  });
  if (!skin) {
    std::fprintf(stderr, "%s:%s\n", description.string().c_str(), skin.error().message.c_str());
    return 1;
  }
  if (auto written = common::WriteFileAtomically(output, *skin); !written) {
    std::fprintf(stderr, "skin-builder: %s\n", written.error().message.c_str());
    return 1;
  }
  return 0;
}

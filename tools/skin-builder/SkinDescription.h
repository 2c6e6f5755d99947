// The readable description a skin is built from: one record per line,
// `kind key=value ... [hidden] [no-mouse]`, in file order. Kinds and their keys:
//
//   font          id slot face width height
//   image-set     id slot images            (11 pictures: digits 0-9, blank)
//   slider-style  id key orientation start end middle thumb pressed track
//   knob-style    id key orientation thumb pressed frames
//   frame         number rect image
//   push          id rect normal pressed
//   toggle        id rect on on-pressed off off-pressed
//   position-slider id style rect fill
//   value-slider  id knob rect
//   counter       id set rect
//   number        id font rect text-color back-color
//   text          id font rect text-color back-color
//   selector      id rect images
//   icon-menu     id rect button pressed side items   (items: action:image:highlighted,...)
//   list-style    id face font-width font-height rect colors  (8 colours)
//   scroll-bar    id rect images            (11 pictures)
//   drag-handle, title-a, title-b   id rect first second
//   resize-grip   id rect normal pressed
//   stretch, fixed  id image
//
// Every element kind also takes `anchor=N`, `hidden` and `no-mouse`.
// Rectangles are `left,top,right,bottom`; colours `#rrggbb`; picture lists
// are comma-separated file names of the image folder, where `name{00..27}.bmp`
// stands for the numbered run (from 0 up, at most 1001 names). Numbers are
// 32-bit; a value outside that range is an error, never cut to fit. Text is UTF-8 (face names are written in code
// page 949); `#` starts a comment line; a trailing `\` joins the next line to it (its
// leading blanks dropped).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/Result.h"
#include "tools/skin-builder/SkinWriter.h"

namespace skinbuilder {

// Reads a picture by its file name (the builder reads the image folder).
using ImageSource = std::function<common::Result<Bytes>(const std::string& name)>;

// Builds the skin file of a description; the error names the line.
common::Result<Bytes> BuildSkin(std::string_view description, const ImageSource& images);

}  // namespace skinbuilder

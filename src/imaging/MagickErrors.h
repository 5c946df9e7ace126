// SPDX-License-Identifier: MIT
#pragma once

#include <Magick++.h>

#include <string>

// The PicbufCode a failure of the imaging library stands for.
namespace magickerrors {

// From the library's text: the decoders' texts are the only place where
// "unsupported compression" and friends are told apart from plain corruption.
// resourceLimit: the library refused to take more memory or a larger image.
int codeForText(const std::string& text, bool resourceLimit, bool writing);
int codeFor(const Magick::Exception& e, bool writing);

} // namespace magickerrors

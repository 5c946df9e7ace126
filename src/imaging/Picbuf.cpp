// SPDX-License-Identifier: MIT
#include "Picbuf.h"

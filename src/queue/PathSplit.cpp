// SPDX-License-Identifier: MIT
#include "PathSplit.h"

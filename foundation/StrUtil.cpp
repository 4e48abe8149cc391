#include "foundation/StrUtil.h"

#include "data/MemTable.h"

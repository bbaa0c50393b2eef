#include "data/CsvStreamFormat.h"

// Planted for the layer check's test: a report file reaching for the XML parser and the windows.
#include <libxml/tree.h>
#include <QString>
#include <string>
#include "report/findings.h"

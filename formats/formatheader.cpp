#include "formats/formatheader.h"

QString BuildFormatHeader() {
    return QString();
}

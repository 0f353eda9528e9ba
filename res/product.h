// The product's public addresses, defined once for the About box, the printed
// report and anything else that names them. Usable from C++ and resource scripts.
#pragma once

#define LUNABEL_VERSION_TEXT "Lunabel ver.1.0"
#define LUNABEL_WEB_LABEL "www.lunabel.example"
#define LUNABEL_WEB_URL "https://www.lunabel.example/"
#define LUNABEL_SUPPORT_ADDRESS "support@lunabel.example"
#define LUNABEL_SUPPORT_URL "mailto:support@lunabel.example"

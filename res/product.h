// The product's version and public addresses, defined once for the About box,
// the version resource, the printed report and anything else that names them.
// Usable from C++ and resource scripts.
#pragma once

// Keep in step with the project version in CMakeLists.txt and the manifest.
#define LUNABEL_VERSION_BINARY 1, 0, 0, 0
#define LUNABEL_FILE_VERSION "1.0.0.0"
#define LUNABEL_PRODUCT_VERSION "1.0"

#define LUNABEL_VERSION_TEXT "Lunabel ver." LUNABEL_PRODUCT_VERSION
#define LUNABEL_WEB_LABEL "www.lunabel.example"
#define LUNABEL_WEB_URL "https://www.lunabel.example/"
#define LUNABEL_SUPPORT_ADDRESS "support@lunabel.example"
#define LUNABEL_SUPPORT_URL "mailto:support@lunabel.example"

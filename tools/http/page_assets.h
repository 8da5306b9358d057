// The page's files (page/), built into the program: it serves them itself,
// with no network and nothing from another site.
#ifndef KIT_HTTP_PAGE_ASSETS_H
#define KIT_HTTP_PAGE_ASSETS_H

#include <cstddef>

namespace panel_http {

struct PageAsset {
  const char *url;   // "/", "/panel.js"
  const char *type;  // Content-Type
  const unsigned char *bytes;
  size_t size;
};

extern const PageAsset kPageAssets[];
extern const int kPageAssetCount;

}  // namespace panel_http

#endif

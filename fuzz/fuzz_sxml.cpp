// Feeds arbitrary bytes to the SXML reader and to the document loader. A load
// either fails cleanly or gives a tree whose saved text loads back to the very
// same text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/qvl_document.h"
#include "sxml/USXMLSub.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    qvl::sxml::TSXMLDoc doc;
    doc.LoadFromBuffer(bytes);
  } catch (const qvl::sxml::EReadError&) {
  }
  qvl::root_t root;
  if (!qvl::LoadDocumentFromText(root, bytes)) return 0;
  const std::string text = qvl::DocumentText(root);
  qvl::root_t again;
  if (!qvl::LoadDocumentFromText(again, text) || qvl::DocumentText(again) != text) std::abort();
  return 0;
}

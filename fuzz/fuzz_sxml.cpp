// Feeds arbitrary bytes to the SXML reader and to the document loader. Cut-off
// templates are covered once and for all by the document tests, so every input
// here is the fuzzer's own.
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
  // A load either fails cleanly or gives a tree whose saved text loads back to
  // the very same text.
  qvl::root_t root;
  if (!qvl::LoadDocumentFromText(root, bytes)) return 0;
  const std::string text = qvl::DocumentText(root);
  qvl::root_t again;
  if (!qvl::LoadDocumentFromText(again, text) || qvl::DocumentText(again) != text) std::abort();
  return 0;
}

// Compiled into every program that links the cipher: before main runs, the
// enciphering layer becomes the default file system, so every connection
// opened with the default one, however and wherever it is opened, can be keyed.
#include "store/cipher/cipher_vfs.h"

namespace {

const int registeredBeforeMain = registerCipherVfs();

}  // namespace

#pragma once

namespace quillane {

/// Gives the open file `to` exactly the extended attributes of the open
/// file `from` (ACLs and security labels among them), taking away those it
/// got from its folder; true where the file system has none. False when
/// one cannot be copied.
bool CopyExtendedAttributes(int from, int to);

}  // namespace quillane

// Build identifier of this executable, recorded where the helper library reads it back.

// ptk-cli command implementations.

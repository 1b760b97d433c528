// The virtual register.

// replaced by the interpreter

def typ(m):
    charset = m.get_param("charset")
    return charset or "ascii"

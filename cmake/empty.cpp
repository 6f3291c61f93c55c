// Nothing of its own: the objects of lorvane_core are linked in whole.
